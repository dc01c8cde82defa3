object Form1: TForm1
  Left = 192
  Top = 114
  Caption = 'Form1'
end
