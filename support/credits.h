/* The credits line of the about text and of the preferences page. Plain preprocessor text, and
   include guards rather than #pragma once, because the resource compiler reads this file too. */
#ifndef PYRELLE_SUPPORT_CREDITS_H
#define PYRELLE_SUPPORT_CREDITS_H

#define PYRELLE_CREDITS_LINE "Written by the Pyrelle developers, 2024-2025."

#endif
