<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="kUntitledDocumentName">
        <source>Untitled</source>
        <translation>Untitled</translation>
    </message>
    <message id="kUntitledNumberedDocumentName">
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message id="kDocumentOpenFailedMessage">
        <source>The document “%1” could not be opened. %2</source>
        <translation>The document “%1” could not be opened. %2</translation>
    </message>
    <message id="kDocumentSaveFailedMessage">
        <source>The document “%1” could not be saved. %2</source>
        <translation>The document “%1” could not be saved. %2</translation>
    </message>
    <message id="kSaveChangesTitle">
        <source>Save Changes</source>
        <translation>Save Changes</translation>
    </message>
    <message id="kSaveChangesMessage">
        <source>Do you want to save the changes you made in the document “%1”?</source>
        <translation>Do you want to save the changes you made in the document “%1”?</translation>
    </message>
    <message id="kSaveChangesInformativeMessage">
        <source>Your changes will be lost if you don’t save them.</source>
        <translation>Your changes will be lost if you don’t save them.</translation>
    </message>
    <message id="kSaveDocumentTitle">
        <source>Save Document</source>
        <translation>Save Document</translation>
    </message>
    <message id="kOpenDocumentTitle">
        <source>Open Document</source>
        <translation>Open Document</translation>
    </message>
    <message id="kRevertTitle">
        <source>Revert</source>
        <translation>Revert</translation>
    </message>
    <message id="kRevertMessage">
        <source>Do you want to go back to the saved version of “%1”? Your current changes will be lost.</source>
        <translation>Do you want to go back to the saved version of “%1”? Your current changes will be lost.</translation>
    </message>
    <message id="kDocumentProblemTitle">
        <source>Document</source>
        <translation>Document</translation>
    </message>
    <!-- Texts both programs show. -->
    <message id="kCancelButtonTitle">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="kOKButtonTitle">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="kRevealButtonTitle">
        <source>Show in Folder</source>
        <translation>Show in Folder</translation>
    </message>
    <message id="kStartButtonTitle">
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message id="kOptionsButtonTitle">
        <source>Options…</source>
        <translation>Options…</translation>
    </message>
    <message id="kStopButtonTitle">
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message id="kFileMenuTitle">
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message id="kOpenRecentMenuTitle">
        <source>Open &amp;Recent</source>
        <translation>Open &amp;Recent</translation>
    </message>
    <message id="kStoppedMessage">
        <source>Stopped.</source>
        <translation>Stopped.</translation>
    </message>
</context>
</TS>
