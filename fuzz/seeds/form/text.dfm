object Form1: TForm1
  Left = 192
  Top = 107
  Caption = 'Main '#39'form'#39
  Font.Name = 'Tahoma'
  Scaled = False
  OnCreate = FormCreate
  DataSource = DataModule1.Table1
  Ratio = 1.5
  Anchors = [akLeft, akTop]
  Items.Strings = (
    'one'
    'two')
  Picture.Data = {
    0A1B}
  object Button1: TButton
    Left = -8
    OnClick = Button1Click
  end
  inherited Panel1: TPanel [2]
    Columns = <
      item
        Width = 64
        Title = 'Col'
      end>
    inline Frame1: TFrame1
      Big = 5000000000
    end
  end
end
