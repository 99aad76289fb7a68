// The program's version: the one place it is kept. The version resource, the
// --version output and the package names (scripts/package.sh reads the three
// numbers below) all take it from here. Included by the resource compiler too.
#pragma once

#define IMPRINTA_VERSION_MAJOR 1
#define IMPRINTA_VERSION_MINOR 0
#define IMPRINTA_VERSION_PATCH 0

#define IMPRINTA_STRINGIFY_(x) #x
#define IMPRINTA_STRINGIFY(x) IMPRINTA_STRINGIFY_(x)
#define IMPRINTA_VERSION_TEXT                                                   \
    IMPRINTA_STRINGIFY(IMPRINTA_VERSION_MAJOR) "." IMPRINTA_STRINGIFY(IMPRINTA_VERSION_MINOR) "." \
        IMPRINTA_STRINGIFY(IMPRINTA_VERSION_PATCH)
#define IMPRINTA_PRODUCT_NAME "Imprinta"
#define IMPRINTA_COPYRIGHT "Copyright (C) 2026 Imprinta 项目"
