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
</context>
</TS>
