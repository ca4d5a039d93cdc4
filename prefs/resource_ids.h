/* Identifiers of the module's resources and of the preferences dialog's controls. Include guards
   rather than #pragma once: the resource compiler reads this file too. */
#ifndef PYRELLE_PREFS_RESOURCE_IDS_H
#define PYRELLE_PREFS_RESOURCE_IDS_H

#define IDD_PREFERENCES 101

#define IDC_MIDDLE_COLOUR 1000
#define IDC_TITLE 1002
#define IDC_CREDITS 1003
#define IDC_MIDDLE_FLOW 1004
#define IDC_ACTIVATION_NOTE 1005
#define IDC_RECOMMENDED_MODE 1008
#define IDC_DISPLAY_MODE 1014
#define IDC_HIGH_COLOUR 1015
#define IDC_LOW_COLOUR 1016
#define IDC_HIGH_FLOW 1017
#define IDC_LOW_FLOW 1018
#define IDC_RESTART_NOTICE 1021

#endif
