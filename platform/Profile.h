// An INI file with the semantics of the Windows profile functions the program was written for:
// case-insensitive sections and keys, the first section of a name and the first key in it count,
// a value in a pair of matching quotes reads without them, defaults for what is missing, order,
// comments and line ends kept. Read as UTF-16 after a byte-order mark, else as UTF-8 when the file
// is valid UTF-8 and as Windows-1252 otherwise; written back in the encoding it was read in.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>

class Profile {
public:
    // Larger files are not settings or parameter sets; they are refused without being read.
    static constexpr qint64 MaxFileSize = 1024 * 1024;

    enum class Encoding { Ansi, Utf16LE, Utf16BE };  // Ansi: UTF-8 or Windows-1252, as described above
    enum class Refusal {
        None,
        NotAFile,     // exists, but is no regular file or cannot be opened
        TooLarge,     // over MaxFileSize
        NotText,      // zero bytes outside a UTF-16 file, or a UTF-16 file cut in half a character
    };

    // Loads path if it exists; a missing file behaves as an empty one. A refused file also reads
    // as empty, and nothing is ever written over it.
    explicit Profile(QString path);
    ~Profile();
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    const QString& path() const { return path_; }
    bool existed() const { return existed_; }
    Refusal refusal() const { return refusal_; }
    bool refused() const { return refusal_ != Refusal::None; }
    Encoding encoding() const;

    bool hasKey(const QString& section, const QString& key) const;
    // The value with surrounding blanks and then one pair of matching quotes (" or ') removed,
    // or defaultValue when the key is missing.
    QString readString(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    // Leading blanks, an optional minus, then decimal digits up to the first other character (of
    // the value read as readString gives it); defaultValue when the key is missing. Overflow wraps
    // like a 32-bit integer.
    int readInt(const QString& section, const QString& key, int defaultValue) const;

    // The sections and the keys of a section as a reader sees them: repeated ones only once.
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    // Changes the value in memory. A save replaces every occurrence of the key in sections of that
    // name whose value differs (an equal one keeps its line, quotes included), makes sure the first
    // section of the name holds it (appended after its last entry), and creates the section at the
    // end of the file when there is none.
    void setString(const QString& section, const QString& key, const QString& value);
    // The whole file as a save would write it, in the file's own encoding and line ends.
    std::string serialize() const;
    // Writes serialize() at once (a temporary file renamed over the old one). False on failure
    // and for a refused file, which stays as it was.
    bool save();
    // setString followed by save.
    bool writeString(const QString& section, const QString& key, const QString& value);

private:
    struct Impl;
    QString path_;
    bool existed_ = false;
    Refusal refusal_ = Refusal::None;
    std::unique_ptr<Impl> impl_;
};

// A short English reason for a refusal, for the command line and logs ("" for None).
QString profileRefusalText(Profile::Refusal refusal);
