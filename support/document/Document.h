#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QWidget;

// One document: its content, the file it lives in, and whether it has changes that are not
// saved. Subclasses give the content and the window; the controller does the rest.
class Document : public QObject
{
    Q_OBJECT

public:
    explicit Document(QObject *parent = nullptr);
    ~Document() override;

    // The content as the bytes of a document file.
    virtual QByteArray dataRepresentation() = 0;
    // Takes content read from a file. On refusal says why in `problem` and keeps what it had.
    virtual bool loadDataRepresentation(const QByteArray &data, QString *problem) = 0;
    // Content that may hold a password is saved readable by its owner only.
    virtual bool holdsSecrets() const { return false; }
    // Creates the document's window; called once, after the content is in place.
    virtual void makeWindow() {}
    virtual QWidget *window() const { return nullptr; }
    // Ends what the document is doing before it goes away (a running download, say).
    virtual void close() {}

    const QString &filePath() const { return _filePath; }
    // The file's name, or the untitled name given by the controller.
    QString displayName() const;
    void setUntitledName(const QString &name) { _untitledName = name; }

    bool isDocumentEdited() const { return _edited; }
    void updateChangeCount(bool edited);

    // Reading and writing through the document file layer: atomic, private when secret.
    bool readFromFile(const QString &path, QString *problem);
    bool writeToFile(const QString &path, QString *problem);

signals:
    void documentEditedChanged(bool edited);
    void displayNameChanged(const QString &name);

private:
    QString _filePath;
    QString _untitledName;
    bool _edited = false;
};
