/* Zentrapolis Projector: the interface of FSCommand extension libraries.
 *
 * A movie's FSCommand that the player does not carry out itself is offered to every library
 * named "*FSCmd*.dll" that the package carries or that lies beside the player. The player calls
 * the export named "FS" + the command name (matched ignoring case) with the command's argument
 * text, unsplit. The export returns a string allocated with SysAllocString (the player frees
 * it), or NULL. Its first character is the separator of the values that follow: value 0 goes to
 * the movie variable "fscmd_ret", value i (i >= 1) to the variable named by the i-th
 * comma-separated argument item. See docs/extensions.md for the link options a library needs.
 */
#ifndef ZENTRA_FSCMD_H
#define ZENTRA_FSCMD_H

#include <windows.h>
#include <oleauto.h>

#ifdef __cplusplus
#define ZENTRA_FSCMD_EXTERN_C extern "C"
#else
#define ZENTRA_FSCMD_EXTERN_C
#endif

/* The type of every command export. */
typedef BSTR(WINAPI* ZentraFsCommandExport)(const wchar_t* arguments);

/* Declares command `name` as the undecorated export "FS<name>". */
#define ZENTRA_FSCOMMAND(name) ZENTRA_FSCMD_EXTERN_C __declspec(dllexport) BSTR WINAPI FS##name(const wchar_t* arguments)

#endif /* ZENTRA_FSCMD_H */
