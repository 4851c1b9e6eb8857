#include "support/document/Document.h"

#include "platform/DocumentFile.h"
#include "platform/LocalizedString.h"

#include <QFile>
#include <QFileInfo>

Document::Document(QObject *parent) : QObject(parent) {}

Document::~Document() = default;

QString Document::displayName() const
{
    return _filePath.isEmpty() ? _untitledName : QFileInfo(_filePath).completeBaseName();
}

void Document::updateChangeCount(bool edited)
{
    if (_edited == edited)
        return;
    _edited = edited;
    emit documentEditedChanged(edited);
}

bool Document::readFromFile(const QString &path, QString *problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = file.errorString();
        return false;
    }
    if (!loadDataRepresentation(file.readAll(), problem))
        return false;
    _filePath = QFileInfo(path).absoluteFilePath();
    updateChangeCount(false);
    emit displayNameChanged(displayName());
    return true;
}

bool Document::writeToFile(const QString &path, QString *problem)
{
    if (!DocumentFile::write(path, dataRepresentation(), holdsSecrets(), problem))
        return false;
    const bool renamed = QFileInfo(path).absoluteFilePath() != _filePath;
    _filePath = QFileInfo(path).absoluteFilePath();
    updateChangeCount(false);
    if (renamed)
        emit displayNameChanged(displayName());
    return true;
}
