#pragma once

#include <QString>
#include <exception>
#include <string>

// The one exception type the evidence layer lets out. Each layer above wraps the message of the
// one below in its own prefix, so the final text names every layer.
class FalException : public std::exception {
public:
    explicit FalException(QString message, int code = 1);
    virtual ~FalException();

    const QString& Message() const { return message_; }
    int Code() const { return code_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    int code_;
    std::string utf8_;
};
