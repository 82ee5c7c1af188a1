#include "tessarin_app.h"

#include "dialog_units.h"
#include "digest_run.h"
#include "prompts.h"
#include "tessarin_dlg.h"

namespace tessarin {

CTessarinApp::CTessarinApp(int& argc, char** argv) : QApplication(argc, argv) {
    // Message boxes and the file chooser speak Korean too.
    setFont(DialogFont());
}

bool CTessarinApp::InitInstance() {
    QtMessageBoxes messages;
    QtFileChooser chooser;
    ServiceDigester digester;
    CTessarinDlg dialog(messages, chooser, digester);
    dialog.exec();
    return false;
}

}  // namespace tessarin
