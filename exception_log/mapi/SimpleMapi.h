// The Simple MAPI calls between the logger and a mail client's library, as
// the logger uses them: the library is loaded by name and these functions
// are bound by name. C structures and C calls, so any library can answer.
#pragma once

#include <cstdint>

extern "C" {

using MAPI_ULONG = std::uint32_t;
using MAPI_FLAGS = std::uint32_t;
using MAPI_LHANDLE = std::uintptr_t;

// One attachment.
struct MapiFileDesc {
    MAPI_ULONG ulReserved;
    MAPI_FLAGS flFlags;
    MAPI_ULONG nPosition;  // 0xFFFFFFFF: not placed in the text
    char* lpszPathName;    // the full path of the file
    char* lpszFileName;    // the name the reader sees
    void* lpFileType;
};

// One recipient (or the originator).
struct MapiRecipDesc {
    MAPI_ULONG ulReserved;
    MAPI_ULONG ulRecipClass;  // MAPI_ORIG, MAPI_TO, MAPI_CC, MAPI_BCC
    char* lpszName;
    char* lpszAddress;
    MAPI_ULONG ulEIDSize;
    void* lpEntryID;
};

struct MapiMessage {
    MAPI_ULONG ulReserved;
    char* lpszSubject;
    char* lpszNoteText;
    char* lpszMessageType;
    char* lpszDateReceived;
    char* lpszConversationID;
    MAPI_FLAGS flFlags;
    MapiRecipDesc* lpOriginator;
    MAPI_ULONG nRecipCount;
    MapiRecipDesc* lpRecips;
    MAPI_ULONG nFileCount;
    MapiFileDesc* lpFiles;
};

enum : MAPI_ULONG {
    MAPI_ORIG = 0,
    MAPI_TO = 1,
    MAPI_CC = 2,
    MAPI_BCC = 3,
};

enum : MAPI_FLAGS {
    MAPI_LOGON_UI = 0x00000001,
    MAPI_NEW_SESSION = 0x00000002,
    MAPI_DIALOG = 0x00000008,
};

enum : MAPI_ULONG {
    SUCCESS_SUCCESS = 0,
    MAPI_USER_ABORT = 1,
    MAPI_E_FAILURE = 2,
    MAPI_E_LOGIN_FAILURE = 3,
    MAPI_E_INSUFFICIENT_MEMORY = 5,
    MAPI_E_ATTACHMENT_NOT_FOUND = 11,
    MAPI_E_ATTACHMENT_OPEN_FAILURE = 12,
    MAPI_E_UNKNOWN_RECIPIENT = 14,
    MAPI_E_BAD_RECIPTYPE = 15,
    MAPI_E_TEXT_TOO_LARGE = 18,
    MAPI_E_INVALID_SESSION = 19,
    MAPI_E_AMBIGUOUS_RECIPIENT = 21,
    MAPI_E_INVALID_MESSAGE = 23,
    MAPI_E_INVALID_RECIPS = 25,
};

using LPMAPILOGON = MAPI_ULONG (*)(std::uintptr_t ulUIParam, char* lpszProfileName, char* lpszPassword,
                                   MAPI_FLAGS flFlags, MAPI_ULONG ulReserved, MAPI_LHANDLE* lplhSession);
using LPMAPILOGOFF = MAPI_ULONG (*)(MAPI_LHANDLE lhSession, std::uintptr_t ulUIParam, MAPI_FLAGS flFlags,
                                    MAPI_ULONG ulReserved);
using LPMAPISENDMAIL = MAPI_ULONG (*)(MAPI_LHANDLE lhSession, std::uintptr_t ulUIParam, MapiMessage* lpMessage,
                                      MAPI_FLAGS flFlags, MAPI_ULONG ulReserved);
using LPMAPIRESOLVENAME = MAPI_ULONG (*)(MAPI_LHANDLE lhSession, std::uintptr_t ulUIParam, char* lpszName,
                                         MAPI_FLAGS flFlags, MAPI_ULONG ulReserved, MapiRecipDesc** lppRecip);
using LPMAPIFREEBUFFER = MAPI_ULONG (*)(void* pv);

}  // extern "C"
