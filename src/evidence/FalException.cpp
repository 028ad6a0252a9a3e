#include "evidence/FalException.h"

FalException::FalException(QString message, int code)
    : message_(std::move(message)), code_(code), utf8_(message_.toStdString())
{
}

FalException::~FalException() = default;
