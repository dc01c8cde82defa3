object MainForm: TMainForm
  Left = 0
end
