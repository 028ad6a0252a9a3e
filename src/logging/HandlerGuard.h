#pragma once

#include "logging/Logger.h"

#include <QString>
#include <exception>

// Every user-interface handler runs its body through this: any exception is formatted into the
// handler's own failure text (its reason cut to 255 characters), logged as an error, and the
// handler returns normally.
class HandlerGuard {
public:
    // A handler's failure text. Most are "Error in <operation> : %s"; the others (another shape,
    // as "Enabled Audio failed : %s" or "Error in OnInitialUpdate: %s") are written out whole,
    // with one %s where the reason goes.
    struct Failure {
        const char* operation = nullptr;
        const char* text = nullptr;  // when set, used instead of the operation's text

        QString Format(const QString& reason) const;
    };
    static constexpr Failure ErrorIn(const char* operation) { return Failure{operation, nullptr}; }
    static constexpr Failure Text(const char* text) { return Failure{nullptr, text}; }

    // Logs "Error in <operation> : <reason>" when the body throws. Returns false when it failed.
    template <typename Body>
    static bool Run(const char* operation, Body&& body)
    {
        return Run(ErrorIn(operation), static_cast<Body&&>(body));
    }

    template <typename Body>
    static bool Run(const Failure& failure, Body&& body)
    {
        try {
            body();
            return true;
        } catch (const std::exception& e) {
            Report(failure, TextOf(e));
        } catch (...) {
            Report(failure, QStringLiteral("unknown error"));
        }
        return false;
    }

    static QString TextOf(const std::exception& e);
    static void Report(const Failure& failure, const QString& reason);
};
