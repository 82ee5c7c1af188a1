#include "tessarin_app.h"

int main(int argc, char** argv) {
    tessarin::CTessarinApp app(argc, argv);
    app.InitInstance();
    return 0;
}
