// An INI file with the semantics of the Windows profile functions the program was written for:
// case-insensitive sections and keys, defaults for what is missing, order and comments kept.
// Read as UTF-8 when the file is valid UTF-8 and as Windows-1252 otherwise; written as Windows-1252.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class Profile {
public:
    // Loads path if it exists; a missing or unreadable file behaves as an empty one.
    explicit Profile(QString path);
    ~Profile();
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    const QString& path() const { return path_; }
    bool existed() const { return existed_; }

    bool hasKey(const QString& section, const QString& key) const;
    // The value with surrounding blanks removed, or defaultValue when the key is missing.
    QString readString(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    // Leading blanks, an optional minus, then decimal digits up to the first other character;
    // defaultValue when the key is missing. Overflow wraps like a 32-bit integer.
    int readInt(const QString& section, const QString& key, int defaultValue) const;

    QStringList sections() const;
    QStringList keys(const QString& section) const;

    // Changes the value in memory (replacing an existing key in place, appending a new one at the
    // end of its section, creating the section at the end of the file).
    void setString(const QString& section, const QString& key, const QString& value);
    // Writes the whole file at once (a temporary file renamed over the old one). False on failure.
    bool save();
    // setString followed by save.
    bool writeString(const QString& section, const QString& key, const QString& value);

private:
    struct Impl;
    QString path_;
    bool existed_ = false;
    std::unique_ptr<Impl> impl_;
};
