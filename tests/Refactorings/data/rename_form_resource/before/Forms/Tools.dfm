object ToolBox: TToolBox
  Hint = 'Tools'
  object Tool1: TPart
    Style.Size = 3
    Columns = <
      item
        Tag = 7
      end>
  end
end
