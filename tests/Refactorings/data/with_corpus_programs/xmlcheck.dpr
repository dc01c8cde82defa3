program XmlCheck;

{ Reads an XML text into a document and writes it back. }

{$APPTYPE CONSOLE}

uses
  Classes, DOM, XMLRead, XMLWrite;

var
  Doc: TXMLDocument;
  Input: TStringStream;
  Output: TStringStream;
  Node: TDOMNode;
begin
  Input := TStringStream.Create('<?xml version="1.0"?><root a="1"><item id="x">text &amp; more</item>' +
    '<!-- note --><empty/><![CDATA[raw <data>]]></root>');
  Output := TStringStream.Create('');
  try
    ReadXMLFile(Doc, Input);
    Node := Doc.DocumentElement.FirstChild;
    while Node <> nil do
    begin
      WriteLn(Node.NodeName, ' ', Node.NodeType, ' ', Node.TextContent);
      Node := Node.NextSibling;
    end;
    TDOMElement(Doc.DocumentElement).SetAttribute('b', 'two');
    WriteXMLFile(Doc, Output);
    WriteLn(Output.DataString);
    Doc.Free;
  finally
    Input.Free;
    Output.Free;
  end;
end.
