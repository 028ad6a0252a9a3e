#pragma once

#include "logging/Logger.h"

#include <QString>
#include <exception>

// Every user-interface handler runs its body through this: any exception is formatted into the
// handler's own message ("Error in OnPlay : %s", its text cut to 255 characters), logged as an
// error, and the handler returns normally.
class HandlerGuard {
public:
    // format holds one %1 for the failure text. Returns false when the body failed.
    template <typename Body>
    static bool Run(const QString& format, Body&& body)
    {
        try {
            body();
            return true;
        } catch (const std::exception& e) {
            Report(format, TextOf(e));
        } catch (...) {
            Report(format, QStringLiteral("unknown error"));
        }
        return false;
    }

    static QString TextOf(const std::exception& e);
    static void Report(const QString& format, const QString& text);
};
