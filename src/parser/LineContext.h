#pragma once

#include "prompt/Diagnostics.h"

/// The parser's own context: the database file reader stores every line here exactly as read,
/// before trimming, so that errors of [vars] statements quote the line as the user wrote it.
LineContext& ModuleLineContext();
