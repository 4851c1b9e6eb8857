<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="kStartedMessageKey">
        <source>Started</source>
        <translation>Started</translation>
    </message>
    <message id="kConnectedMessageKey">
        <source>Connected</source>
        <translation>Connected</translation>
    </message>
    <message id="kWaitingForMessageKey">
        <source>Waiting for %@</source>
        <translation>Waiting for %@</translation>
    </message>
    <message id="kDownloadFolderBaseNameKey">
        <source>Vellicor Download</source>
        <translation>Vellicor Download</translation>
    </message>
    <message id="kDownloadFileNameKey">
        <source>Vellicor Log.txt</source>
        <translation>Vellicor Log.txt</translation>
    </message>
    <message id="kCredentialLineBreakMessage">
        <source>The user name and the password cannot contain a line break. Remove it and start again.</source>
        <translation>The user name and the password cannot contain a line break. Remove it and start again.</translation>
    </message>
    <message id="kCredentialEdgeBlankMessage">
        <source>The user name and the password cannot begin or end with a blank, because wget would drop it. Remove the blank and start again.</source>
        <translation>The user name and the password cannot begin or end with a blank, because wget would drop it. Remove the blank and start again.</translation>
    </message>
    <message id="kDocumentNotJSONObjectMessage">
        <source>The file is not a document of this program: its content is not a JSON object.</source>
        <translation>The file is not a document of this program: its content is not a JSON object.</translation>
    </message>
    <message id="kDocumentNoFormatMessage">
        <source>The file does not say which kind of document it is, so it is not a document of this program.</source>
        <translation>The file does not say which kind of document it is, so it is not a document of this program.</translation>
    </message>
    <message id="kDocumentForeignFormatMessage">
        <source>The file is a “%1” document, but this program reads only “%2” documents.</source>
        <translation>The file is a “%1” document, but this program reads only “%2” documents.</translation>
    </message>
    <message id="kDocumentNoVersionMessage">
        <source>The file does not say which version of the document format it uses.</source>
        <translation>The file does not say which version of the document format it uses.</translation>
    </message>
    <message id="kDocumentUnsupportedVersionMessage">
        <source>The file uses version %1 of the document format, which this version of the program cannot read.</source>
        <translation>The file uses version %1 of the document format, which this version of the program cannot read.</translation>
    </message>
    <message id="kDocumentNoValuesMessage">
        <source>The file holds no settings: its “values” entry is missing or is not a JSON object.</source>
        <translation>The file holds no settings: its “values” entry is missing or is not a JSON object.</translation>
    </message>
    <message id="kDocumentWriteFailedMessage">
        <source>The file could not be written (%1).</source>
        <translation>The file could not be written (%1).</translation>
    </message>
    <message id="kDocumentFlagExpectedMessage">
        <source>The setting “%1” must be true or false.</source>
        <translation>The setting “%1” must be true or false.</translation>
    </message>
    <message id="kDocumentWholeNumberExpectedMessage">
        <source>The setting “%1” must be a whole number from 0 to 4294967295.</source>
        <translation>The setting “%1” must be a whole number from 0 to 4294967295.</translation>
    </message>
    <message id="kDocumentTextExpectedMessage">
        <source>The setting “%1” must be a text.</source>
        <translation>The setting “%1” must be a text.</translation>
    </message>
    <message id="kDocumentRecordListExpectedMessage">
        <source>The setting “%1” must be a list of records whose entries are flags, numbers or texts.</source>
        <translation>The setting “%1” must be a list of records whose entries are flags, numbers or texts.</translation>
    </message>
    <message id="kApplicationName">
        <source>Vellicor</source>
        <translation>Vellicor</translation>
    </message>
    <message id="kWelcomeMessage">
        <source>&lt;p&gt;&lt;b&gt;Vellicor&lt;/b&gt; mirrors web sites with GNU wget.&lt;/p&gt;&lt;p&gt;This build has the download engine: it runs wget, follows its progress and collects every saved file. The download document window comes next.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;Vellicor&lt;/b&gt; mirrors web sites with GNU wget.&lt;/p&gt;&lt;p&gt;This build has the download engine: it runs wget, follows its progress and collects every saved file. The download document window comes next.&lt;/p&gt;</translation>
    </message>
    <message id="kWgetFoundMessage">
        <source>wget is ready: %@</source>
        <translation>wget is ready: %@</translation>
    </message>
    <message id="kWgetMissingMessage">
        <source>wget is missing from the program&apos;s resource folder. Install Debian&apos;s wget package and build the program again.</source>
        <translation>wget is missing from the program&apos;s resource folder. Install Debian&apos;s wget package and build the program again.</translation>
    </message>
    <message id="kQuitButtonTitle">
        <source>&amp;Quit</source>
        <translation>&amp;Quit</translation>
    </message>
    <message id="kEventLogErrorCountTitle">
        <source>Errors:</source>
        <translation>Errors:</translation>
    </message>
    <message id="kEventLogWarningCountTitle">
        <source>Warnings:</source>
        <translation>Warnings:</translation>
    </message>
    <message id="kEventLogClearButtonTitle">
        <source>Clear</source>
        <translation>Clear</translation>
    </message>
    <message id="kEventLogSaveAsButtonTitle">
        <source>Save As…</source>
        <translation>Save As…</translation>
    </message>
    <message id="kEventLogCloseButtonTitle">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="kImageBrowserWindowTitle">
        <source>Image Browser</source>
        <translation>Image Browser</translation>
    </message>
    <message id="kImageBrowserAddFilesButtonTitle">
        <source>Add Files…</source>
        <translation>Add Files…</translation>
    </message>
    <message id="kImageBrowserStopButtonTitle">
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message id="kImageBrowserClearButtonTitle">
        <source>Clear</source>
        <translation>Clear</translation>
    </message>
    <message id="kImageBrowserOptionsButtonTitle">
        <source>Options…</source>
        <translation>Options…</translation>
    </message>
    <message id="kImageBrowserDeleteButtonTitle">
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message id="kImageBrowserDeleteButtonToolTip">
        <source>Drag the selected thumbnail here to delete its file at once</source>
        <translation>Drag the selected thumbnail here to delete its file at once</translation>
    </message>
    <message id="kImageBrowserOptionsTitle">
        <source>Image Browser Options</source>
        <translation>Image Browser Options</translation>
    </message>
    <message id="kImageBrowserDimensionLimitTitle">
        <source>Only add images whose width and height are</source>
        <translation>Only add images whose width and height are</translation>
    </message>
    <message id="kImageBrowserSizeLimitTitle">
        <source>Only add images whose file size is</source>
        <translation>Only add images whose file size is</translation>
    </message>
    <message id="kImageBrowserSmallerThanTitle">
        <source>smaller than</source>
        <translation>smaller than</translation>
    </message>
    <message id="kImageBrowserLargerThanTitle">
        <source>larger than</source>
        <translation>larger than</translation>
    </message>
    <message id="kImageBrowserWidthTitle">
        <source>width</source>
        <translation>width</translation>
    </message>
    <message id="kImageBrowserHeightTitle">
        <source>height</source>
        <translation>height</translation>
    </message>
    <message id="kImageBrowserKilobytesTitle">
        <source>KB</source>
        <translation>KB</translation>
    </message>
    <message id="kImageBrowserOKButtonTitle">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="kImageBrowserCancelButtonTitle">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="kImageBrowserDeleteFailedMessage">
        <source>Could not delete %1: %2</source>
        <translation>Could not delete %1: %2</translation>
    </message>
    <message id="kBuildingFileListStartedKey">
        <source>Building file list…</source>
        <translation>Building file list…</translation>
    </message>
    <message id="kBuildingFileListKey">
        <source>Building file list: %1 items</source>
        <translation>Building file list: %1 items</translation>
    </message>
    <message id="kBuildingFileListCompleteKey">
        <source>File list complete</source>
        <translation>File list complete</translation>
    </message>
    <message id="kProcessingFilesStartedKey">
        <source>Processing files…</source>
        <translation>Processing files…</translation>
    </message>
    <message id="kProcessingFilesXofXCompleteKey">
        <source>Processing file %1 of %2</source>
        <translation>Processing file %1 of %2</translation>
    </message>
    <message id="kEllipsisKey">
        <source>…</source>
        <translation>…</translation>
    </message>
</context>
</TS>
