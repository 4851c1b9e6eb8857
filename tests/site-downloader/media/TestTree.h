#pragma once

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

// A folder tree made by a test inside a temporary folder that goes away with it. Entries ending
// in '/' are folders, others small files.
class TestTree final
{
public:
    TestTree() : TestTree(QTemporaryDir{}) {}
    // Inside `baseFolder`, for a tree that another user must be able to reach.
    explicit TestTree(const QString &baseFolder) : TestTree(QTemporaryDir(baseFolder + "/vellicor-tree-XXXXXX")) {}

    const std::filesystem::path &root() const { return _root; }
    std::string path(const std::string &relative = {}) const { return relative.empty() ? _root.string() : (_root / relative).string(); }

    void add(std::initializer_list<std::string> entries) const
    {
        for (const std::string &entry : entries) {
            if (entry.back() == '/')
                std::filesystem::create_directories(_root / entry);
            else
                std::ofstream(_root / entry) << entry;
        }
    }

    void link(const std::string &relative, const std::filesystem::path &target) const
    {
        std::filesystem::create_symlink(target, _root / relative);
    }

    // `path` relative to the root, or as it stands when it lies elsewhere.
    std::string relative(const std::string &path) const
    {
        const std::string prefix = _root.string() + '/';
        return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
    }

private:
    explicit TestTree(QTemporaryDir &&folder)
        : _folder(std::move(folder)), _root(std::filesystem::path(_folder.path().toStdString()) / "root")
    {
        std::filesystem::create_directory(_root);
    }

    QTemporaryDir _folder;
    std::filesystem::path _root;
};
