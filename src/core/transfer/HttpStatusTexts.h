#pragma once

#include <QString>

namespace mojing::HttpStatusTexts {

// The largest status code the table covers; codes above it have no description.
constexpr int kLastCode = 600;

// The Chinese description of an HTTP status code; empty for codes the table does not list
// (0, the code of a transport failure, among them) and for codes outside 0..600.
QString describe(int code);

} // namespace mojing::HttpStatusTexts
