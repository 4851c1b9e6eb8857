#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <cstdint>
#include <memory>
#include <optional>

// The options of one download job, and the whole content of a Vellicor document file. Object
// fields keep the difference between "not set" (an empty optional, left out of the file) and
// an empty string. Flags and numbers are public: the argument builder and the document read and
// write them directly.
class WgetEnginePreferences final
{
public:
    static inline const QString kDocumentKind = QStringLiteral("vellicor-document");

    WgetEnginePreferences();

    // A new instance with defaults, then loaded from `data`; null when the data is refused.
    static std::shared_ptr<WgetEnginePreferences> preferencesWithDataRepresentation(const QByteArray &data,
                                                                                   QString *problem = nullptr);

    // The document file's bytes.
    QByteArray getValuesAsDataRepresentation() const;
    // Loads a document file. Every known key's type is checked before anything is applied: data
    // that fails a check changes nothing, returns false and says why in `problem`.
    bool setValuesFromDataRepresentation(const QByteArray &data, QString *problem = nullptr);

    // The same, on the dictionary inside the file (keys are the field names, underscore included).
    QVariantMap getValuesAsDictionary() const;
    bool setValuesFromDictionary(const QVariantMap &values, QString *problem = nullptr);

    const std::optional<QString> &baseURL() const { return _baseURL; }
    void setBaseURL(std::optional<QString> value) { _baseURL = std::move(value); }
    const std::optional<QVariantList> &auxillaryDataArray() const { return _auxillaryDataArray; }
    void setAuxillaryDataArray(std::optional<QVariantList> value) { _auxillaryDataArray = std::move(value); }

    const std::optional<QString> &allowedDomainList() const { return _allowedDomainList; }
    void setAllowedDomainList(std::optional<QString> value) { _allowedDomainList = std::move(value); }
    const std::optional<QString> &skippedDomainList() const { return _skippedDomainList; }
    void setSkippedDomainList(std::optional<QString> value) { _skippedDomainList = std::move(value); }
    const std::optional<QString> &skippedExtensionList() const { return _skippedExtensionList; }
    void setSkippedExtensionList(std::optional<QString> value) { _skippedExtensionList = std::move(value); }
    const std::optional<QString> &skippedDirectoriesList() const { return _skippedDirectoriesList; }
    void setSkippedDirectoriesList(std::optional<QString> value) { _skippedDirectoriesList = std::move(value); }
    const std::optional<QString> &skippedHTMLTagsList() const { return _skippedHTMLTagsList; }
    void setSkippedHTMLTagsList(std::optional<QString> value) { _skippedHTMLTagsList = std::move(value); }
    const std::optional<QString> &acceptedExtensionList() const { return _acceptedExtensionList; }
    void setAcceptedExtensionList(std::optional<QString> value) { _acceptedExtensionList = std::move(value); }
    const std::optional<QString> &acceptedDirectoriesList() const { return _acceptedDirectoriesList; }
    void setAcceptedDirectoriesList(std::optional<QString> value) { _acceptedDirectoriesList = std::move(value); }
    const std::optional<QString> &acceptedHTMLTagsList() const { return _acceptedHTMLTagsList; }
    void setAcceptedHTMLTagsList(std::optional<QString> value) { _acceptedHTMLTagsList = std::move(value); }

    const std::optional<QString> &username() const { return _username; }
    void setUsername(std::optional<QString> value) { _username = std::move(value); }
    const std::optional<QString> &password() const { return _password; }
    void setPassword(std::optional<QString> value) { _password = std::move(value); }
    const std::optional<QString> &logFilePath() const { return _logFilePath; }
    void setLogFilePath(std::optional<QString> value) { _logFilePath = std::move(value); }

    bool openANewImageBrowserWhenNecessary() const { return _openANewImageBrowserWhenNecessary; }
    void setOpenANewImageBrowserWhenNecessary(bool value) { _openANewImageBrowserWhenNecessary = value; }
    bool createEnclosingFolder() const { return _createEnclosingFolder; }

    // The folder the user chose, as stored.
    const std::optional<QString> &basicOutputDirectory() const { return _outputDirectory; }
    // The folder the download goes into: the chosen folder, or the enclosing download folder
    // inside it.
    std::optional<QString> outputDirectory() const;
    // Sets both and puts the log file into the resulting download folder.
    void setOutputDirectory(std::optional<QString> path, bool createEnclosingFolder);

    bool _delayBetweenRetrievals = false;
    uint32_t _delayLengthInSeconds = 0;
    bool _recreateFolderHierarchyOnLocalDisk = true;
    bool _recursive = true;
    uint32_t _recursionLevelMax = 5;
    bool _relinkForOfflineBrowsing = true;
    bool _relinkForOfflineBrowsingKeepOriginalPage = false;
    bool _getAllFilesRequiredToViewHTMLPage = true;
    bool _followRelativeLinksOnly = false;
    bool _allowRecursionToForeignHosts = false;
    bool _allowOnlySomeDomains = false;
    bool _skipSomeDomains = false;
    bool _skipFilesWithSomeExtensions = false;
    bool _skipSomeDirectories = false;
    bool _skipSomeHTMLTags = false;
    bool _dontAscendIntoParentDirectories = false;
    bool _onlyAllowFilesWithSomeExtensions = false;
    bool _onlyAllowSomeDirectories = false;
    bool _onlyAllowSomeHTMLTags = false;
    bool _openANewImageBrowserWhenNecessary = true;
    // 0: never overwrite (-nc), 1: let wget number new copies, 2: only fetch newer files (-N).
    uint32_t _fileHandlingType = 2;
    bool _createEnclosingFolder = true;
    bool _followFTPLinks = false;
    bool _keepFileListingFiles = false;
    bool _usePassiveFTPTransferMode = false;
    bool _getSymLinks = false;
    bool _useAuthentication = false;

private:
    // The table of stored fields, which needs the object fields by member pointer.
    friend struct WgetEnginePreferencesStorage;

    std::optional<QString> _baseURL;
    std::optional<QVariantList> _auxillaryDataArray;
    std::optional<QString> _allowedDomainList;
    std::optional<QString> _skippedDomainList;
    std::optional<QString> _skippedExtensionList;
    std::optional<QString> _skippedDirectoriesList;
    std::optional<QString> _skippedHTMLTagsList;
    std::optional<QString> _acceptedExtensionList;
    std::optional<QString> _acceptedDirectoriesList;
    std::optional<QString> _acceptedHTMLTagsList;
    std::optional<QString> _outputDirectory;
    std::optional<QString> _logFilePath;
    std::optional<QString> _username;
    std::optional<QString> _password;
};
