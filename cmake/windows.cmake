# The Windows build: Torvane.dll, the stand-in TakeCmd.dll and the Wine test programs.
message(FATAL_ERROR "The Windows build is not set up yet")
