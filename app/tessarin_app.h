#pragma once
// The application object: shows the main window modally and ends when it is closed.
#include <QApplication>

namespace tessarin {

class CTessarinApp : public QApplication {
    Q_OBJECT
public:
    CTessarinApp(int& argc, char** argv);
    // Runs the main window to its end; false, because the process has nothing left to do.
    bool InitInstance();
};

}  // namespace tessarin
