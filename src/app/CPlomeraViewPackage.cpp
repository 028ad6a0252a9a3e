// The main view's part in self-contained packages: the coordinator's package hooks.
#include "app/CPlomeraView.h"

#include "app/dialogs/CPlomeraEnterPasswordDlg.h"
#include "events/CCoordinatorPlomeraView.h"
#include "logging/HandlerGuard.h"
#include "package/CVideoFileExtractionProgress.h"
#include "package/PackageExtraction.h"
#include "package/PackageWriter.h"

#include <QCoreApplication>
#include <QFileDialog>

#include <memory>
#include <optional>

void CPlomeraView::InstallPackageHooks()
{
    // What extraction read at start-up is what a new package is written from; both hooks live
    // in the coordinator, which the view destroys before itself.
    auto extraction = std::make_shared<PackageExtraction>(QCoreApplication::applicationFilePath());
    extraction->SetPasswordPrompt([this]() -> std::optional<QString> {
        CPlomeraEnterPasswordDlg dlg(this);
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        return dlg.password;
    });
    extraction->SetProgressFactory(CVideoFileExtractionProgress::Factory(this));

    coordinator_->SetExtractionHook([extraction](CCoordinatorPlomeraView& coordinator, QString& target) {
        extraction->SetExtractionFolder(coordinator.ExtractionFolder());
        extraction->SetFileExtracted([&coordinator](const QString& path) {
            coordinator.ExtractedFiles() << path;
            coordinator.RegisterLocalFile(path);
            return coordinator.TargetWindow() != nullptr;
        });
        bool extracted = false;
        try {
            extracted = extraction->InitializeVideoExtraction(target);
        } catch (...) {
            // A damaged package is still a package: start-up does not go on to open other files.
            coordinator.SetIsPackage(extraction->IsPackage());
            throw;
        }
        coordinator.SetIsPackage(extraction->IsPackage());
        if (extracted && extraction->Trailer().HasSingleFileBlock())
            coordinator.ExtractedFiles() << target;
        return extracted;
    });

    coordinator_->SetEvidenceWriterHook([this, extraction](CCoordinatorPlomeraView& coordinator,
                                                           const QString& folder) {
        if (!coordinator.IsPackage())
            return;
        HandlerGuard::Run("CreateSingleEvidenceFile", [&] {
            const QString target = QFileDialog::getSaveFileName(this, QString(), QString(),
                                                                QStringLiteral("Single Executable (*.exe)"));
            if (target.isEmpty())
                return;
            PackageWriter::CreateSingleEvidenceFile(*extraction, folder, target,
                                                    CVideoFileExtractionProgress::Factory(this));
        });
    });
}
