// The main view's part in self-contained packages: the coordinator's package hooks.
#include "app/CPlomeraView.h"

#include "app/events/CCoordinatorPlomeraView.h"

void CPlomeraView::InstallPackageHooks()
{
    // Filled in by the package layer: extraction at start-up, writing a new package.
}
