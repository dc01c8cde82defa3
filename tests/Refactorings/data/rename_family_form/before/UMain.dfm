object Form1: TForm1
  Left = 192
  Top = 114
  Caption = 'Form1'
  object Button1: TButton
    Left = 8
    Top = 8
    Caption = 'Press'
    OnClick = ButtonClick
  end
end
