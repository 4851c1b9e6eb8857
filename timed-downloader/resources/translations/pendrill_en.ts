<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="kApplicationName">
        <source>Pendrill</source>
        <translation>Pendrill</translation>
    </message>
    <message id="kNoneTitle">
        <source>None</source>
        <translation>None</translation>
    </message>
    <message id="kShowDetailsButtonTitle">
        <source>Show Details</source>
        <translation>Show Details</translation>
    </message>
    <message id="kHideDetailsButtonTitle">
        <source>Hide Details</source>
        <translation>Hide Details</translation>
    </message>
    <message id="kNextDownloadMessage">
        <source>Next download in %1 seconds.</source>
        <translation>Next download in %1 seconds.</translation>
    </message>
    <message id="kRetrievingURLMessage">
        <source>Retrieving the address…</source>
        <translation>Retrieving the address…</translation>
    </message>
    <message id="kDownloadFailedMessage">
        <source>The download failed.</source>
        <translation>The download failed.</translation>
    </message>
    <message id="kSizeTitle">
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
    <message id="kDownloadSuccessMessage">
        <source>Download complete.</source>
        <translation>Download complete.</translation>
    </message>
    <message id="kURLLabel">
        <source>Address:</source>
        <translation>Address:</translation>
    </message>
    <message id="kNameLabel">
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message id="kSizeLabel">
        <source>Size:</source>
        <translation>Size:</translation>
    </message>
    <message id="kTimeLabel">
        <source>Time:</source>
        <translation>Time:</translation>
    </message>
    <message id="kOptionsTitle">
        <source>Download Options</source>
        <translation>Download Options</translation>
    </message>
    <message id="kDownloadIntervalLabel">
        <source>Download every (seconds):</source>
        <translation>Download every (seconds):</translation>
    </message>
    <message id="kBaseFileNameLabel">
        <source>Base file name:</source>
        <translation>Base file name:</translation>
    </message>
    <message id="kNumberLeadingZeroesLabel">
        <source>Digits in the file number:</source>
        <translation>Digits in the file number:</translation>
    </message>
    <message id="kTargetFolderPathLabel">
        <source>Target folder:</source>
        <translation>Target folder:</translation>
    </message>
    <message id="kChangeTargetFolderButtonTitle">
        <source>Choose…</source>
        <translation>Choose…</translation>
    </message>
    <message id="kChooseTargetFolderTitle">
        <source>Choose the Target Folder</source>
        <translation>Choose the Target Folder</translation>
    </message>
    <message id="kNewMenuTitle">
        <source>&amp;New</source>
        <translation>&amp;New</translation>
    </message>
    <message id="kOpenMenuTitle">
        <source>&amp;Open…</source>
        <translation>&amp;Open…</translation>
    </message>
    <message id="kClearRecentMenuTitle">
        <source>&amp;Clear Menu</source>
        <translation>&amp;Clear Menu</translation>
    </message>
    <message id="kCloseMenuTitle">
        <source>&amp;Close</source>
        <translation>&amp;Close</translation>
    </message>
    <message id="kSaveMenuTitle">
        <source>&amp;Save</source>
        <translation>&amp;Save</translation>
    </message>
    <message id="kSaveAsMenuTitle">
        <source>Save &amp;As…</source>
        <translation>Save &amp;As…</translation>
    </message>
    <message id="kRevertMenuTitle">
        <source>Re&amp;vert to Saved</source>
        <translation>Re&amp;vert to Saved</translation>
    </message>
    <message id="kPreferencesMenuTitle">
        <source>&amp;Preferences…</source>
        <translation>&amp;Preferences…</translation>
    </message>
    <message id="kQuitMenuTitle">
        <source>&amp;Quit</source>
        <translation>&amp;Quit</translation>
    </message>
    <message id="kHelpMenuTitle">
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message id="kUserGuideMenuTitle">
        <source>Pendrill &amp;User Guide</source>
        <translation>Pendrill &amp;User Guide</translation>
    </message>
    <message id="kDocumentTypeFilter">
        <source>Pendrill documents (*.pendrill)</source>
        <translation>Pendrill documents (*.pendrill)</translation>
    </message>
    <message id="kPreferencesTitle">
        <source>Pendrill Preferences</source>
        <translation>Pendrill Preferences</translation>
    </message>
    <message id="kPreferencesMessage">
        <source>Pendrill keeps every setting of a timed download in its document: open the Options of a document window to change them.</source>
        <translation>Pendrill keeps every setting of a timed download in its document: open the Options of a document window to change them.</translation>
    </message>
</context>
</TS>
