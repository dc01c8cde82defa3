object Form1: TForm1
  OnClick = FormClick
end
