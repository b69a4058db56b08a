#pragma once

#include <exception>
#include <string>

/// The text a user is shown for an engine error that escaped a dialog's handler: the
/// engine's description carried by a CADOException (its code when there is none). False
/// for any other exception.
bool DescribeEngineError(std::exception_ptr error, std::string& description);
