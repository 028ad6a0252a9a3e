#pragma once

#include <QApplication>

class CMainFrame;
class CPlomeraDoc;

// The application object: settings, the one document, the main frame with its view.
class CPlomeraApp : public QApplication {
    Q_OBJECT
public:
    static constexpr const char* kSettingsOrganisation = "Local AppWizard-Generated Applications";
    static constexpr const char* kSettingsApplication = "Plomera";
    static constexpr int kRecentFiles = 4;

    CPlomeraApp(int& argc, char** argv);
    ~CPlomeraApp() override;

    // Creates the document and the frame and shows it maximised; false ends the program.
    bool InitInstance();
    CMainFrame* MainFrame() const { return frame_; }

private:
    CPlomeraDoc* document_ = nullptr;
    CMainFrame* frame_ = nullptr;
};
