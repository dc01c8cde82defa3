object Form1: TForm1
  Left = 0
  object Label1: TLabelX
    Left = 8
    Caption = 'Hello'
  end
end
