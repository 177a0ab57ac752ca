{ Compiles an HTML Help project (.hhp) into a .chm with Free Pascal's chm
  library, as chmcmd does, except for the context map: chmcmd 3.2.2 stores
  each context topic as the absolute path of the topic on the build machine,
  which HtmlHelp's HH_HELP_CONTEXT cannot find inside the file. Here each
  context number names its topic as listed in the project, relative to the
  project folder.

  Usage: help_compiler <project.hhp> <output.chm>
  Any error or warning of the project (a missing file, a link to a file that
  does not exist) fails the compilation. }
program help_compiler;

{$mode objfpc}{$H+}

uses
  Classes, SysUtils, chmfilewriter, chmwriter;

type
  THelpProject = class(TChmProject)
  public
    procedure WriteChm(AOutStream: TStream); override;
  end;

var
  Faults: Integer = 0;

procedure ReportProblem(Project: TChmProject; Kind: TChmProjectErrorKind;
  Msg: String; DetailLevel: Integer);
begin
  if Kind in [chmerror, chmwarning] then
  begin
    WriteLn(StdErr, ChmErrorKindText[Kind], ': ', Msg);
    Inc(Faults);
  end;
end;

procedure THelpProject.WriteChm(AOutStream: TStream);
var
  Writer: TChmWriter;
  Node: TChmContextNode;
  I: Integer;
begin
  LoadSitemaps;
  if ScanHtmlContents then
    ScanHtml;
  Writer := TChmWriter.Create(AOutStream, False);
  try
    Writer.OnGetFileData := @GetData;
    Writer.OnLastFile := @LastFileAdded;
    Writer.FilesToCompress.AddStrings(Files);
    Writer.FilesToCompress.AddStrings(OtherFiles);
    Writer.DefaultPage := DefaultPage;
    Writer.Title := Title;
    Writer.DefaultFont := DefaultFont;
    Writer.FullTextSearch := MakeSearchable;
    Writer.HasBinaryTOC := MakeBinaryTOC;
    Writer.HasBinaryIndex := MakeBinaryIndex;
    Writer.IndexName := IndexFileName;
    Writer.TocName := TableOfContentsFileName;
    Writer.DefaultWindow := DefaultWindow;
    Writer.LocaleID := LocaleID;
    for I := 0 to Files.Count - 1 do
    begin
      if not FileExists(ProjectDir + Files[I]) then
        Error(chmerror, 'File ' + Files[I] + ' does not exist');
      Node := TChmContextNode(Files.Objects[I]);
      if Assigned(Node) and (Node.ContextNumber <> 0) then
        Writer.AddContext(Node.ContextNumber, Files[I]);
    end;
    if Windows.Count > 0 then
      Writer.Windows := Windows;
    Writer.Execute;
  finally
    Writer.Free;
  end;
end;

procedure Compile(const ProjectFile, ChmFile: String);
var
  Project: THelpProject;
  Output: TFileStream;
begin
  Project := THelpProject.Create;
  try
    Project.OnError := @ReportProblem;
    Project.LoadFromhhp(ProjectFile, False);
    Output := TFileStream.Create(ChmFile, fmCreate);
    try
      Project.WriteChm(Output);
    finally
      Output.Free;
    end;
  finally
    Project.Free;
  end;
end;

begin
  if ParamCount <> 2 then
  begin
    WriteLn(StdErr, 'usage: help_compiler <project.hhp> <output.chm>');
    Halt(2);
  end;
  try
    Compile(ParamStr(1), ParamStr(2));
  except
    on E: Exception do
    begin
      WriteLn(StdErr, ParamStr(1), ': ', E.Message);
      Inc(Faults);
    end;
  end;
  if Faults > 0 then
  begin
    DeleteFile(ParamStr(2));
    Halt(1);
  end;
end.
