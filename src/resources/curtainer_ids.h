// Identifiers of the splash program's resources (curtainer.rc), shared by the code and the .rc file.
#pragma once

#define IDD_SPLASH 102
#define IDC_SPLASH_PICTURE 1001
#define IDI_CURTAINER 128
#define IDR_SPLASH_PICTURE 129 /* of type "JPEG" */
