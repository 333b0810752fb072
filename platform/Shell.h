// Opening a document with the desktop's default handler ("open" verb); the result is not reported.
#pragma once

#include <QString>

class Shell {
public:
    virtual ~Shell() = default;
    virtual void openDocument(const QString& path) = 0;
};

// The desktop's handler through QDesktopServices.
class DesktopShell final : public Shell {
public:
    void openDocument(const QString& path) override;
};
