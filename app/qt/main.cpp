#include "app/qt/CMyApp.h"

int main(int argc, char** argv) {
    orv::app::qt::CMyApp app(argc, argv);
    return app.Run();
}
