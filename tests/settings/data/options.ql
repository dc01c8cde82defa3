[librarysearchpath]
$(DELPHI)\Lib=
$(DELPHI)\Imports=
C:\Components\VirtualTreeView\Source=

[FolderComparison]
FolderComparisonExe=C:\Program Files\Compare\compare.exe
FolderComparisonExeParams=/dirs "%1" "%2"

[Refactorings]
Count=2
0=WithUnwinder.bpl
1=UnitSweeper.bpl
2=SymbolRenamer.bpl
3=NodeInspector.bpl
