// plomera: the video evidence player.
#include "app/CMainFrame.h"
#include "app/CPlomeraApp.h"
#include "app/CPlomeraView.h"
#include "navigator/CVideoFileSelector.h"
#include "viewer/CViewer.h"

#include <clocale>

int main(int argc, char** argv)
{
    CPlomeraApp app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (!app.InitInstance()) {
        return 1;
    }
    return app.exec();
}
