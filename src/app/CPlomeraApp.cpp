#include "app/CPlomeraApp.h"
#include "app/CPlomeraView.h"

#include "app/CMainFrame.h"
#include "app/CPlomeraDoc.h"
#include "app/CommandIds.h"

CPlomeraApp::CPlomeraApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromLatin1(StringIds::AppTitle));
    setOrganizationName(QString::fromLatin1(kSettingsOrganisation));
    // The desktop entry installed as plomera.desktop: docks and task bars show its name and icon
    // for the player's windows.
    setDesktopFileName(QStringLiteral("plomera"));
}

CPlomeraApp::~CPlomeraApp()
{
    delete frame_;
    delete document_;
}

bool CPlomeraApp::InitInstance()
{
    document_ = new CPlomeraDoc();
    frame_ = new CMainFrame(document_);
    if (!frame_->Create()) {
        return false;
    }
    frame_->showMaximized();
    frame_->setAcceptDrops(true);
    frame_->View()->OnInitialUpdate(arguments());
    return true;
}
