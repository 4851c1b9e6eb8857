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
    <message id="kAllowOnlySomeDomainsTitle">
        <source>Only follow links to these domains:</source>
        <translation>Only follow links to these domains:</translation>
    </message>
    <message id="kSkipSomeDomainsTitle">
        <source>Skip these domains:</source>
        <translation>Skip these domains:</translation>
    </message>
    <message id="kSkipFilesWithSomeExtensionsTitle">
        <source>Skip files with these extensions:</source>
        <translation>Skip files with these extensions:</translation>
    </message>
    <message id="kSkipSomeDirectoriesTitle">
        <source>Skip these folders:</source>
        <translation>Skip these folders:</translation>
    </message>
    <message id="kSkipSomeHTMLTagsTitle">
        <source>Ignore these HTML tags:</source>
        <translation>Ignore these HTML tags:</translation>
    </message>
    <message id="kOnlyAllowFilesWithSomeExtensionsTitle">
        <source>Only fetch files with these extensions:</source>
        <translation>Only fetch files with these extensions:</translation>
    </message>
    <message id="kOnlyAllowSomeDirectoriesTitle">
        <source>Only enter these folders:</source>
        <translation>Only enter these folders:</translation>
    </message>
    <message id="kOnlyAllowSomeHTMLTagsTitle">
        <source>Only follow these HTML tags:</source>
        <translation>Only follow these HTML tags:</translation>
    </message>
    <message id="kFileHandlingNeverOverwriteTitle">
        <source>Keep existing files (never overwrite)</source>
        <translation>Keep existing files (never overwrite)</translation>
    </message>
    <message id="kFileHandlingNumberCopiesTitle">
        <source>Keep existing files and number new copies</source>
        <translation>Keep existing files and number new copies</translation>
    </message>
    <message id="kFileHandlingNewerOnlyTitle">
        <source>Only fetch files newer than the local copy</source>
        <translation>Only fetch files newer than the local copy</translation>
    </message>
    <message id="kFileHandlingTypeTitle">
        <source>Existing files</source>
        <translation>Existing files</translation>
    </message>
    <message id="kDelayBetweenRetrievalsTitle">
        <source>Wait between retrievals (seconds):</source>
        <translation>Wait between retrievals (seconds):</translation>
    </message>
    <message id="kRecursiveTitle">
        <source>Follow links, at most this deep:</source>
        <translation>Follow links, at most this deep:</translation>
    </message>
    <message id="kRecreateFolderHierarchyTitle">
        <source>Recreate the folder hierarchy on the local disk</source>
        <translation>Recreate the folder hierarchy on the local disk</translation>
    </message>
    <message id="kDownloadFolderTitle">
        <source>Download into:</source>
        <translation>Download into:</translation>
    </message>
    <message id="kCreateEnclosingFolderTitle">
        <source>inside a new download folder</source>
        <translation>inside a new download folder</translation>
    </message>
    <message id="kRelinkForOfflineBrowsingTitle">
        <source>Convert links for offline browsing</source>
        <translation>Convert links for offline browsing</translation>
    </message>
    <message id="kKeepOriginalPageTitle">
        <source>keep the original pages</source>
        <translation>keep the original pages</translation>
    </message>
    <message id="kGetPageRequisitesTitle">
        <source>Fetch everything needed to show each page</source>
        <translation>Fetch everything needed to show each page</translation>
    </message>
    <message id="kFollowRelativeLinksOnlyTitle">
        <source>Follow relative links only</source>
        <translation>Follow relative links only</translation>
    </message>
    <message id="kDontAscendTitle">
        <source>Never ascend to the parent folder</source>
        <translation>Never ascend to the parent folder</translation>
    </message>
    <message id="kAllowForeignHostsTitle">
        <source>Follow links to other hosts</source>
        <translation>Follow links to other hosts</translation>
    </message>
    <message id="kFollowFTPLinksTitle">
        <source>Follow FTP links</source>
        <translation>Follow FTP links</translation>
    </message>
    <message id="kKeepFileListingFilesTitle">
        <source>Keep FTP listing files</source>
        <translation>Keep FTP listing files</translation>
    </message>
    <message id="kPassiveFTPTitle">
        <source>Passive FTP</source>
        <translation>Passive FTP</translation>
    </message>
    <message id="kGetSymLinksTitle">
        <source>Fetch the files that FTP links point to</source>
        <translation>Fetch the files that FTP links point to</translation>
    </message>
    <message id="kOpenImageBrowserTitle">
        <source>Open a new image browser when necessary</source>
        <translation>Open a new image browser when necessary</translation>
    </message>
    <message id="kDownloadOptionsTitle">
        <source>Download Options</source>
        <translation>Download Options</translation>
    </message>
    <message id="kImagePreviewTitle">
        <source>Preview</source>
        <translation>Preview</translation>
    </message>
    <message id="kOpenButtonTitle">
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message id="kActivityTitle">
        <source>Activity</source>
        <translation>Activity</translation>
    </message>
    <message id="kBaseURLTitle">
        <source>Address:</source>
        <translation>Address:</translation>
    </message>
    <message id="kUsernameTitle">
        <source>User name:</source>
        <translation>User name:</translation>
    </message>
    <message id="kPasswordTitle">
        <source>Password:</source>
        <translation>Password:</translation>
    </message>
    <message id="kOpenLogButtonTitle">
        <source>Open Log</source>
        <translation>Open Log</translation>
    </message>
    <message id="kImageBrowserButtonTitle">
        <source>Image Browser</source>
        <translation>Image Browser</translation>
    </message>
    <message id="kPreviewButtonTitle">
        <source>Preview</source>
        <translation>Preview</translation>
    </message>
    <message id="kSavedFilesTitle">
        <source>Saved files:</source>
        <translation>Saved files:</translation>
    </message>
    <message id="kNoURLsToDisplayOverlayText">
        <source>No Files Saved</source>
        <translation>No Files Saved</translation>
    </message>
    <message id="kOtherKey">
        <source>Other…</source>
        <translation>Other…</translation>
    </message>
    <message id="kDocumentRunFailedMessage">
        <source>Error %ld occurred (%s).</source>
        <translation>Error %ld occurred (%s).</translation>
    </message>
    <message id="kURLColumnTitle">
        <source>Address</source>
        <translation>Address</translation>
    </message>
    <message id="kSizeColumnTitle">
        <source>Size</source>
        <translation>Size</translation>
    </message>
    <message id="kFileNameColumnTitle">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="kPathColumnTitle">
        <source>Path</source>
        <translation>Path</translation>
    </message>
    <message id="kNewMenuItemTitle">
        <source>&amp;New</source>
        <translation>&amp;New</translation>
    </message>
    <message id="kOpenMenuItemTitle">
        <source>&amp;Open…</source>
        <translation>&amp;Open…</translation>
    </message>
    <message id="kClearRecentMenuItemTitle">
        <source>Clear Menu</source>
        <translation>Clear Menu</translation>
    </message>
    <message id="kSaveMenuItemTitle">
        <source>&amp;Save</source>
        <translation>&amp;Save</translation>
    </message>
    <message id="kSaveAsMenuItemTitle">
        <source>Save &amp;As…</source>
        <translation>Save &amp;As…</translation>
    </message>
    <message id="kRevertMenuItemTitle">
        <source>&amp;Revert to Saved</source>
        <translation>&amp;Revert to Saved</translation>
    </message>
    <message id="kCloseMenuItemTitle">
        <source>&amp;Close</source>
        <translation>&amp;Close</translation>
    </message>
    <message id="kQuitMenuItemTitle">
        <source>&amp;Quit</source>
        <translation>&amp;Quit</translation>
    </message>
    <message id="kWindowMenuTitle">
        <source>&amp;Window</source>
        <translation>&amp;Window</translation>
    </message>
    <message id="kEventLogMenuItemTitle">
        <source>&amp;Event Log</source>
        <translation>&amp;Event Log</translation>
    </message>
    <message id="kVellicorDocumentFilter">
        <source>Vellicor documents (*.vellicor)</source>
        <translation>Vellicor documents (*.vellicor)</translation>
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
    <message id="kNewVersionAvailableKey">
        <source>Vellicor %@ is available</source>
        <translation>Vellicor %@ is available</translation>
    </message>
    <message id="kDownloadButtonTitle">
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message id="kMoreInformationButtonTitle">
        <source>More Information</source>
        <translation>More Information</translation>
    </message>
    <message id="kCancelKey">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="kUpToDateKey">
        <source>You have the latest version of Vellicor.</source>
        <translation>You have the latest version of Vellicor.</translation>
    </message>
    <message id="kUpdateCheckFailedExtendedKey">
        <source>Vellicor could not find out whether a newer version exists. Check your network connection and try again later.</source>
        <translation>Vellicor could not find out whether a newer version exists. Check your network connection and try again later.</translation>
    </message>
    <message id="kNoUpdateAvailableKey">
        <source>You have the latest version.</source>
        <translation>You have the latest version.</translation>
    </message>
    <message id="kUpdateCheckFailedKey">
        <source>The update check failed (error %d).</source>
        <translation>The update check failed (error %d).</translation>
    </message>
    <message id="kNoUpdateAddressMessage">
        <source>This copy of Vellicor has no update address configured, so it cannot check for a newer version.</source>
        <translation>This copy of Vellicor has no update address configured, so it cannot check for a newer version.</translation>
    </message>
    <message id="kNoFeedbackAddressMessage">
        <source>This copy of Vellicor has no feedback address configured.</source>
        <translation>This copy of Vellicor has no feedback address configured.</translation>
    </message>
    <message id="kUpdateCheckRunningMessage">
        <source>An update check is already running.</source>
        <translation>An update check is already running.</translation>
    </message>
    <message id="kVellicorMenuTitle">
        <source>Vellicor</source>
        <translation>Vellicor</translation>
    </message>
    <message id="kToolsMenuTitle">
        <source>Tools</source>
        <translation>Tools</translation>
    </message>
    <message id="kHelpMenuTitle">
        <source>Help</source>
        <translation>Help</translation>
    </message>
    <message id="kAboutMenuItemTitle">
        <source>About Vellicor</source>
        <translation>About Vellicor</translation>
    </message>
    <message id="kPreferencesMenuItemTitle">
        <source>Preferences…</source>
        <translation>Preferences…</translation>
    </message>
    <message id="kCheckForUpdatesMenuItemTitle">
        <source>Check for Updates…</source>
        <translation>Check for Updates…</translation>
    </message>
    <message id="kSendFeedbackMenuItemTitle">
        <source>Send Feedback…</source>
        <translation>Send Feedback…</translation>
    </message>
    <message id="kUserGuideMenuItemTitle">
        <source>Vellicor User Guide</source>
        <translation>Vellicor User Guide</translation>
    </message>
    <message id="kImageBrowserMenuItemTitle">
        <source>Image Browser</source>
        <translation>Image Browser</translation>
    </message>
    <message id="kIncrementalDownloaderMenuItemTitle">
        <source>Incremental Downloader</source>
        <translation>Incremental Downloader</translation>
    </message>
    <message id="kBatchURLDownloaderMenuItemTitle">
        <source>Batch URL Downloader</source>
        <translation>Batch URL Downloader</translation>
    </message>
    <message id="kMediaViewerMenuItemTitle">
        <source>Media Viewer</source>
        <translation>Media Viewer</translation>
    </message>
    <message id="kMovieViewMenuItemTitle">
        <source>Movie Viewer</source>
        <translation>Movie Viewer</translation>
    </message>
    <message id="kPreferencesWindowTitle">
        <source>Vellicor Preferences</source>
        <translation>Vellicor Preferences</translation>
    </message>
    <message id="kDontCheckForUpdatesTitle">
        <source>Do not check for updates at launch</source>
        <translation>Do not check for updates at launch</translation>
    </message>
    <message id="kOnLaunchOpenTitle">
        <source>At launch, open:</source>
        <translation>At launch, open:</translation>
    </message>
    <message id="kOnLaunchOpenNewDocumentTitle">
        <source>A new download document</source>
        <translation>A new download document</translation>
    </message>
    <message id="kOnLaunchOpenMediaViewerTitle">
        <source>The media viewer</source>
        <translation>The media viewer</translation>
    </message>
    <message id="kOnLaunchOpenIncrementalDownloaderTitle">
        <source>The incremental downloader</source>
        <translation>The incremental downloader</translation>
    </message>
    <message id="kOnLaunchOpenBatchURLDownloaderTitle">
        <source>The batch URL downloader</source>
        <translation>The batch URL downloader</translation>
    </message>
    <message id="kOnLaunchOpenImageBrowserTitle">
        <source>The image browser</source>
        <translation>The image browser</translation>
    </message>
    <message id="kOpenEventLogOnErrorsTitle">
        <source>Bring the event log forward when errors arrive</source>
        <translation>Bring the event log forward when errors arrive</translation>
    </message>
    <message id="kMaxDocumentTableURLsTitle">
        <source>Saved files listed in a document window, at most:</source>
        <translation>Saved files listed in a document window, at most:</translation>
    </message>
    <message id="kPreferencesTakeEffectMessage">
        <source>Changes to the launch options apply the next time Vellicor starts; the list limit applies to document windows opened from now on.</source>
        <translation>Changes to the launch options apply the next time Vellicor starts; the list limit applies to document windows opened from now on.</translation>
    </message>
    <message id="kAboutBoxWindowTitle">
        <source>About Vellicor</source>
        <translation>About Vellicor</translation>
    </message>
    <message id="kVersionTextFormat">
        <source>Version %@</source>
        <translation>Version %@</translation>
    </message>
    <message id="kCheckForUpdateButtonTitle">
        <source>Check for Update</source>
        <translation>Check for Update</translation>
    </message>
    <message id="kDoneButtonTitle">
        <source>Done</source>
        <translation>Done</translation>
    </message>
    <message id="kAboutBoxInfoText">
        <source>Vellicor mirrors web sites and downloads files with GNU Wget, and lets you browse, view and sort what it saved.</source>
        <translation>Vellicor mirrors web sites and downloads files with GNU Wget, and lets you browse, view and sort what it saved.</translation>
    </message>
    <message id="kWgetHomePageButtonTitle">
        <source>GNU Wget home page</source>
        <translation>GNU Wget home page</translation>
    </message>
    <message id="kCheckingForUpdateMessage">
        <source>Checking for a newer version…</source>
        <translation>Checking for a newer version…</translation>
    </message>
    <message id="kFileListingNumberColumnTitle">
        <source>#</source>
        <translation>#</translation>
    </message>
    <message id="kFileListingFilenameColumnTitle">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="kFileListingTypeColumnTitle">
        <source>Type</source>
        <translation>Type</translation>
    </message>
    <message id="kFileListingFullpathColumnTitle">
        <source>Location</source>
        <translation>Location</translation>
    </message>
    <message id="kMediaViewerWindowTitle">
        <source>Media Viewer</source>
        <translation>Media Viewer</translation>
    </message>
    <message id="kMediaViewerAddFilesButtonTitle">
        <source>Add Files…</source>
        <translation>Add Files…</translation>
    </message>
    <message id="kMediaViewerRemoveSelectedButtonTitle">
        <source>Remove</source>
        <translation>Remove</translation>
    </message>
    <message id="kMediaViewerRemoveAllButtonTitle">
        <source>Remove All</source>
        <translation>Remove All</translation>
    </message>
    <message id="kMediaViewerRemoveMatchingButtonTitle">
        <source>Remove Matching…</source>
        <translation>Remove Matching…</translation>
    </message>
    <message id="kMediaViewerTrashButtonTitle">
        <source>Move to Trash</source>
        <translation>Move to Trash</translation>
    </message>
    <message id="kMediaViewerRevealButtonTitle">
        <source>Show in Folder</source>
        <translation>Show in Folder</translation>
    </message>
    <message id="kMediaViewerOpenButtonTitle">
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message id="kMediaViewerSortBinsButtonTitle">
        <source>Sort Bins</source>
        <translation>Sort Bins</translation>
    </message>
    <message id="kMediaViewerCopyInsteadOfMoveTitle">
        <source>Copy instead of move</source>
        <translation>Copy instead of move</translation>
    </message>
    <message id="kMediaViewerRemoveWhenDroppedTitle">
        <source>Remove from list when dropped</source>
        <translation>Remove from list when dropped</translation>
    </message>
    <message id="kMediaViewerURLLabel">
        <source>Address:</source>
        <translation>Address:</translation>
    </message>
    <message id="kMediaViewerLocationLabel">
        <source>Location:</source>
        <translation>Location:</translation>
    </message>
    <message id="kMediaViewerSizeLabel">
        <source>Size:</source>
        <translation>Size:</translation>
    </message>
    <message id="kMediaViewerNotAvailable">
        <source>n/a</source>
        <translation>n/a</translation>
    </message>
    <message id="kMediaViewerSortBinsTitle">
        <source>Sort Bins</source>
        <translation>Sort Bins</translation>
    </message>
    <message id="kMediaViewerSortBinToolTip">
        <source>Press %1 to send the selected files here</source>
        <translation>Press %1 to send the selected files here</translation>
    </message>
    <message id="kMediaViewerRemoveFilesTitle">
        <source>Remove Files</source>
        <translation>Remove Files</translation>
    </message>
    <message id="kMediaViewerRemoveNameContainsLabel">
        <source>Names containing:</source>
        <translation>Names containing:</translation>
    </message>
    <message id="kMediaViewerRemoveExtensionLabel">
        <source>Extension:</source>
        <translation>Extension:</translation>
    </message>
    <message id="kMediaViewerOKButtonTitle">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="kMediaViewerCancelButtonTitle">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="kMediaViewerTrashFailedMessage">
        <source>“%1” could not be moved to the Trash (%2). It is still where it was.</source>
        <translation>“%1” could not be moved to the Trash (%2). It is still where it was.</translation>
    </message>
    <message id="kMediaViewerAddingFilesMessage">
        <source>Adding files… %1 found</source>
        <translation>Adding files… %1 found</translation>
    </message>
    <message id="kQuickTimeMovieViewWindowTitle">
        <source>Movie Player</source>
        <translation>Movie Player</translation>
    </message>
    <message id="kMovieControllerPlayTitle">
        <source>Play</source>
        <translation>Play</translation>
    </message>
    <message id="kMovieControllerPauseTitle">
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message id="kMovieControllerPositionTitle">
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message id="kMediaViewerSortBinTitle">
        <source>Bin %1</source>
        <translation>Bin %1</translation>
    </message>
    <message id="kIncrementalDownloaderWindowTitle">
        <source>Incremental Downloader</source>
        <translation>Incremental Downloader</translation>
    </message>
    <message id="kBatchURLDownloaderWindowTitle">
        <source>Batch URL Downloader</source>
        <translation>Batch URL Downloader</translation>
    </message>
    <message id="kIncrementalDownloaderAddressPatternLabel">
        <source>Address pattern:</source>
        <translation>Address pattern:</translation>
    </message>
    <message id="kIncrementalDownloaderAddressPatternPlaceholder">
        <source>example.com/photos/img\d.jpg — \d stands for the number</source>
        <translation>example.com/photos/img\d.jpg — \d stands for the number</translation>
    </message>
    <message id="kIncrementalDownloaderMinimumDigitsLabel">
        <source>Minimum digits:</source>
        <translation>Minimum digits:</translation>
    </message>
    <message id="kIncrementalDownloaderStartNumberLabel">
        <source>From:</source>
        <translation>From:</translation>
    </message>
    <message id="kIncrementalDownloaderEndNumberLabel">
        <source>To:</source>
        <translation>To:</translation>
    </message>
    <message id="kBatchURLDownloaderListFileLabel">
        <source>Address list file:</source>
        <translation>Address list file:</translation>
    </message>
    <message id="kDownloadToolOutputFolderLabel">
        <source>Save into folder:</source>
        <translation>Save into folder:</translation>
    </message>
    <message id="kDownloadToolChooseButtonTitle">
        <source>Choose…</source>
        <translation>Choose…</translation>
    </message>
    <message id="kDownloadToolUseAuthenticationTitle">
        <source>Log in with a user name and password</source>
        <translation>Log in with a user name and password</translation>
    </message>
    <message id="kDownloadToolUsernameLabel">
        <source>User name:</source>
        <translation>User name:</translation>
    </message>
    <message id="kDownloadToolPasswordLabel">
        <source>Password:</source>
        <translation>Password:</translation>
    </message>
    <message id="kDownloadToolShowInImageBrowserTitle">
        <source>Show downloaded pictures in an image browser</source>
        <translation>Show downloaded pictures in an image browser</translation>
    </message>
    <message id="kDownloadToolStatusLabel">
        <source>Status:</source>
        <translation>Status:</translation>
    </message>
    <message id="kRetrievingURLMessage">
        <source>Retrieving %1</source>
        <translation>Retrieving %1</translation>
    </message>
    <message id="kDownloadStatusMessageKey">
        <source>%1 of %2 done, %3 failed</source>
        <translation>%1 of %2 done, %3 failed</translation>
    </message>
    <message id="kDownloadSuccessMessage">
        <source>All downloads are done.</source>
        <translation>All downloads are done.</translation>
    </message>
    <message id="kFileProcessingFailedKey">
        <source>Cannot start: check the fields marked in red, or see the event log.</source>
        <translation>Cannot start: check the fields marked in red, or see the event log.</translation>
    </message>
    <message id="kDownloadErrorForURLMessageKey">
        <source>Download failed with status %1: %2</source>
        <translation>Download failed with status %1: %2</translation>
    </message>
    <message id="kDownloadErrorInvalidURLMessageKey">
        <source>Download failed with status %1, without an answer from a server.</source>
        <translation>Download failed with status %1, without an answer from a server.</translation>
    </message>
    <message id="kCannotReadSourceFileKey">
        <source>The address list file cannot be read. Check that it exists and that you may read it.</source>
        <translation>The address list file cannot be read. Check that it exists and that you may read it.</translation>
    </message>
    <message id="kBatchURLDownloaderLineFailedMessageKey">
        <source>The batch download stopped at line %1 (status %2): "%3" is not an address that can be fetched. Correct the line or remove it, then start again.</source>
        <translation>The batch download stopped at line %1 (status %2): "%3" is not an address that can be fetched. Correct the line or remove it, then start again.</translation>
    </message>
</context>
</TS>
