// The one export mark: the libraries are built with hidden visibility, so only
// declarations marked ORLIM_API are part of their binary interface.
#pragma once

#define ORLIM_API __attribute__((visibility("default")))
