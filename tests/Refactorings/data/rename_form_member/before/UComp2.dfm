object Comp2: TComp2
  object B1: TMyBtn
    Caption = 'Go'
    Style.Bold = True
    OnClick = B1Click
    Columns = <
      item
        Width = 10
      end
      item
        Width = 20
      end>
  end
  object B2: TBigBtn
    Hint = 'Big'
    Level = 3
  end
end
