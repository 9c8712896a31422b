#include "ELang.h"

namespace menvaro {

const TOstrelTextInfo kOstrelTexts[kOstrelTextCount] = {
    {"Message captions", "Information", "Information."},  // 0
    {"Message captions", "Question", "Question."},        // 1
    {"Exception Dialog", "Caption", "Error."},            // 2
    {"Exception Dialog", "Error message",
     "An error has occurred during program execution."
     "\r\n"
     "Please read the following information for further details."},                                // 3
    {"Exception Dialog", "General Caption", "General"},                                            // 4
    {"Exception Dialog", "General Header", "General Information"},                                 // 5
    {"Exception Dialog", "Call Stack Caption", "Call Stack"},                                      // 6
    {"Exception Dialog", "Call Stack Header", "Call Stack Information"},                           // 7
    {"Exception Dialog", "Modules List Caption", "Modules"},                                       // 8
    {"Exception Dialog", "Modules List Header", "Modules Information"},                            // 9
    {"Exception Dialog", "CPU Caption", "CPU"},                                                    // 10
    {"Exception Dialog", "CPU Header", "CPU Information"},                                         // 11
    {"Exception Dialog", "OK Button", "&OK"},                                                      // 12
    {"Exception Dialog", "Terminate Button", "&Terminate"},                                        // 13
    {"Exception Dialog", "Restart Button", "&Restart"},                                            // 14
    {"Exception Dialog", "Details Button", "&Details"},                                            // 15
    {"Exception Dialog", "Email message", "&Send this error via Email"},                           // 16
    {"Exception Dialog", "Screenshot message", "&Attach a Screenshot image"},                      // 17
    {"Exception Dialog", "Copy message", "&Copy to Clipboard"},                                    // 18
    {"Log", "Application Header", "Application"},                                                  // 19
    {"Log", "Start Date", "Start Date"},                                                           // 20
    {"Log", "Name/Description", "Name/Description"},                                               // 21
    {"Log", "Version Number", "Version Number"},                                                   // 22
    {"Log", "Parameters", "Parameters"},                                                           // 23
    {"Log", "Exception Header", "Exception"},                                                      // 24
    {"Log", "Date", "Date"},                                                                       // 25
    {"Log", "Address", "Address"},                                                                 // 26
    {"Log", "Module", "Module"},                                                                   // 27
    {"Log", "Type", "Type"},                                                                       // 28
    {"Log", "Message", "Message"},                                                                 // 29
    {"Log", "Active Controls Header", "Active Controls"},                                          // 30
    {"Log", "Form Class", "Form Class"},                                                           // 31
    {"Log", "Form Text", "Form Text"},                                                             // 32
    {"Log", "Control Class", "Control Class"},                                                     // 33
    {"Log", "Control Text", "Control Text"},                                                       // 34
    {"Log", "Computer Header", "Computer"},                                                        // 35
    {"Log", "Name", "Name"},                                                                       // 36
    {"Log", "User", "User"},                                                                       // 37
    {"Log", "Total Memory", "Total Memory"},                                                       // 38
    {"Log", "Free Memory", "Free Memory"},                                                         // 39
    {"Log", "Total Disk", "Total Disk"},                                                           // 40
    {"Log", "Free Disk", "Free Disk"},                                                             // 41
    {"Log", "Operating System Header", "Operating System"},                                        // 42
    {"Log", "Type", "Type"},                                                                       // 43
    {"Log", "Build #", "Build #"},                                                                 // 44
    {"Log", "Update", "Update"},                                                                   // 45
    {"Log", "Language", "Language"},                                                               // 46
    {"Log / Call Stack", "Address", "Address"},                                                    // 47
    {"Log / Call Stack", "Module", "Module"},                                                      // 48
    {"Log / Call Stack", "Unit", "Unit"},                                                          // 49
    {"Log / Call Stack", "Class", "Class"},                                                        // 50
    {"Log / Call Stack", "Procedure/Method", "Procedure/Method"},                                  // 51
    {"Log / Call Stack", "Line", "Line"},                                                          // 52
    {"SMTP Dialog", "Caption", "SMTP."},                                                           // 53
    {"SMTP Dialog", "Message", "Message"},                                                         // 54
    {"SMTP Dialog", "Resolving message", "Resolving MX record..."},                                // 55
    {"SMTP Dialog", "Connecting message", "Connecting with SMTP server..."},                       // 56
    {"SMTP Dialog", "Connected message", "Connected with SMTP server."},                           // 57
    {"SMTP Dialog", "Sending message", "Sending message..."},                                      // 58
    {"Reproduce Dialog", "Caption", "Request"},                                                    // 59
    {"Reproduce Dialog", "Request message", "Please describe the steps to reproduce the error:"},  // 60
    {"Reproduce Dialog", "OK Button", "&OK"},                                                      // 61
    {"Log / Modules List", "Handle", "Handle"},                                                    // 62
    {"Log / Modules List", "Name", "Name"},                                                        // 63
    {"Log / Modules List", "Description", "Description"},                                          // 64
    {"Log / Modules List", "Version", "Version"},                                                  // 65
    {"Log / Modules List", "Size", "Size"},                                                        // 66
    {"Log / Modules List", "Path", "Path"},                                                        // 67
    {"Log / CPU", "Registers", "Registers"},                                                       // 68
    {"Log / CPU", "Stack", "Stack"},                                                               // 69
    {"Log / CPU", "Memory Dump", "Memory Dump"},                                                   // 70
};

}  // namespace menvaro
