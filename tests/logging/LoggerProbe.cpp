// Logs through the process-wide facade exactly as the program does and exits at once, so that
// whatever is still queued is written during static destruction.
#include "logging/Logger.h"

#include <QString>

int main(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString level = QString::fromLocal8Bit(argv[i]);
        const QString text = QString::fromLocal8Bit(argv[i + 1]);
        if (level == QLatin1String("error"))
            Logger::GetInstance()->Error(text);
        else
            Logger::GetInstance()->Info(text);
        // The main view frees the facade on its way out; later users get a new one.
        Logger::DestroyInstance();
    }
    return 0;
}
