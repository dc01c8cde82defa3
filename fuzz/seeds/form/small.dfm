inline F: TFrame [1]
  Items = <
    item
      A = (1 2.5 X.Y)
    end>
  Data = {00FF}
  S = [a, 1]
end
