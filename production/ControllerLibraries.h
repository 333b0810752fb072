// The bootloader library STBLLIB and the image library FILES, loaded at run time by file name
// with every entry point resolved before any is called.
#pragma once

#include "production/files/FILES.h"
#include "production/stbl/STBLLIB.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QLibrary;

struct StblApi {
    decltype(&::SetCOMSettings) SetCOMSettings = nullptr;
    decltype(&::SetCOMDevice) SetCOMDevice = nullptr;
    decltype(&::COM_Open) COM_Open = nullptr;
    decltype(&::COM_Close) COM_Close = nullptr;
    decltype(&::SetTimeOut) SetTimeOut = nullptr;
    decltype(&::STBL_Init_BL) STBL_Init_BL = nullptr;
    decltype(&::STBL_GET) STBL_GET = nullptr;
    decltype(&::STBL_READOUT_PERM_UNPROTECT) STBL_READOUT_PERM_UNPROTECT = nullptr;
    decltype(&::STBL_ERASE) STBL_ERASE = nullptr;
    decltype(&::STBL_DNLOAD) STBL_DNLOAD = nullptr;
    decltype(&::STBL_READ) STBL_READ = nullptr;
    decltype(&::STBL_GO) STBL_GO = nullptr;
    decltype(&::STBL_READOUT_PROTECT) STBL_READOUT_PROTECT = nullptr;
    decltype(&::STBL_WRITE_PERM_UNPROTECT) STBL_WRITE_PERM_UNPROTECT = nullptr;
    decltype(&::STBL_SetTransport) STBL_SetTransport = nullptr;
};

struct FilesApi {
    decltype(&::FILES_ImageFromFile) FILES_ImageFromFile = nullptr;
    decltype(&::FILES_GetImageNbElement) FILES_GetImageNbElement = nullptr;
    decltype(&::FILES_GetImageElement) FILES_GetImageElement = nullptr;
    decltype(&::FILES_DestroyImage) FILES_DestroyImage = nullptr;
    decltype(&::FILES_CreateImage) FILES_CreateImage = nullptr;
    decltype(&::FILES_CreateImageFromMapping) FILES_CreateImageFromMapping = nullptr;
    decltype(&::FILES_FilterImageForOperation) FILES_FilterImageForOperation = nullptr;
    decltype(&::FILES_SetImageName) FILES_SetImageName = nullptr;
    decltype(&::FILES_SetImageElement) FILES_SetImageElement = nullptr;
};

class ControllerLibraries {
public:
    // The platform's file names: libSTBLLIB.so / STBLLIB.dll, libFILES.so / FILES.dll.
    static QString stblFileName();
    static QString filesFileName();
    // Where the libraries are looked for, in order: the program's folder, then the installed
    // private library folder.
    static QStringList defaultFolders();

    explicit ControllerLibraries(QStringList folders = defaultFolders());
    ~ControllerLibraries();

    // Loads both (once); the message to show when a library or an entry point is missing, in
    // which case nothing stays loaded.
    std::optional<QString> load();
    bool loaded() const { return loaded_; }
    void unload();

    StblApi stbl;
    FilesApi files;

private:
    QStringList folders_;
    std::unique_ptr<QLibrary> stblLib_, filesLib_;
    bool loaded_ = false;
};
