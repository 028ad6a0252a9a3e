#pragma once

#include "evidence/FalException.h"
#include "logging/Logger.h"

// Runs one facade call whose failure is logged in the facade's own words and passed over, so a
// command goes on with its next camera. Returns false when the call failed.
template <typename Body>
bool LoggedFacadeCall(Body&& body)
{
    try {
        body();
        return true;
    } catch (const FalException& e) {
        Logger::GetInstance()->Error(e.Message());
    }
    return false;
}
