#pragma once

#include <QString>

// The process-wide logging facade. It holds nothing: every call goes to the one LoggerImpl,
// which stamps, queues and writes the text when LogFlags asks for it.
class Logger {
public:
    // The shared facade, created on first use.
    static Logger* GetInstance();
    // Frees the facade; a later GetInstance creates a new one.
    static void DestroyInstance();

    void Error(const QString& text);
    void Info(const QString& text);

private:
    Logger() = default;
    ~Logger() = default;
};
