object MainForm: TMainForm
  Title = 'Main'
  object Part1: TPart
    Caption = 'Go'
    Style.Bold = True
    OnPress = Part1Press
    Columns = <
      item
        Width = 10
      end
      item
        Width = 20
      end>
  end
end
