// Program entry of the GUI (placeholder window until the main window lands).
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("pressdiag " PRESSDIAG_VERSION_TEXT));
    label.show();
    return app.exec();
}
