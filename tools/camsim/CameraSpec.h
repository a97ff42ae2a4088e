#pragma once

#include <string>

namespace zka::camsim {

// What a simulated camera does after its firmware upload has been answered.
enum class AfterUpgrade {
    NewVersion,        // reboots (connections refused for rebootSeconds), then reports the new version
    OldVersion,        // reboots, then reports the version it had before
    NeverBack,         // reboots and never accepts a connection again
    RefuseConnections, // refuses every connection from the end of the answer on (no reboot delay)
    HangInquiries,     // after the reboot, accepts connections but never answers an inquiry
    Immediate,         // no reboot: answers every inquiry at once with the new version
};

// One simulated camera: identity, logins, behaviour and faults. Durations are nominal seconds,
// scaled by the fleet's time scale.
struct CameraSpec {
    // Identity, as the camera reports it in discovery and in "inq=system".
    std::string address = "127.0.0.2"; // where it listens (HTTP) and sends its discovery replies from
    std::string reportedAddress;       // the IPADR it reports; empty: address (equal values make duplicates)
    int webPort = 80;
    std::string model = "ZKA-QM410";
    std::string serial = "S0000002";
    std::string mac = "08:00:46:00:00:02";
    std::string softVersion = "2.30";  // the version before the upgrade; "emergency" for emergency firmware
    std::string newVersion;            // after the upgrade; empty: 3.15 when softVersion starts with 3, else 2.45
    std::string docType;               // the DocType= value
    bool panTilt = false;              // adds PanTiltFunc=1 to "inq=system"
    bool dhcp = false;
    bool dnsAuto = false;

    // Logins: the administrator's and, optionally, a valid non-administrator login.
    std::string adminUser = "admin";
    std::string adminPassword = "admin";
    std::string userName;
    std::string userPassword;

    // Discovery.
    bool answersDiscovery = true;
    bool reportsWebPort = true;        // false: no WEBPORT: field in the reply
    bool oversizedDatagram = false;    // answers with a datagram of more than 1072 bytes
    bool zeroBeforeModel = false;      // a zero byte before "MODEL:"
    bool ackNak = false;               // also sends an "ACK:" and a "NAK:" datagram
    int discoveryRepeats = 1;          // replies per enquiry

    // Web side.
    bool systemInquiryOpen = false;    // answers "inq=system" whatever the login, also the empty one
                                       // (as cameras do in the field); every other request still
                                       // needs a valid login
    bool notACamera = false;           // some other web server at the address: every request is
                                       // answered 200 with an HTML page; no discovery reply
    double slowAnswerSeconds = 0;      // delay before every HTTP answer
    double userInquirySeconds = 0;     // a further delay before the answer to "inq=user"
    bool oversizedInquiry = false;     // "inq=system" replies carry more than 5120 bytes
    bool htmlInsteadOfConfig = false;  // the configuration download returns an HTML page
    bool emptyConfig = false;          // the configuration download is answered 200 with an empty body
    bool silentConfig = false;         // takes the configuration request and never answers it
    int configTrickleMs = 0;           // > 0: answers the configuration request, then sends one byte of
                                       // the file every N ms (nominal)
    std::string configuration;         // the configuration file served; empty: several KB generated
                                       // from the identity (Fleet::cameras() shows the generated text)
    int restoreRefusals = 0;           // the first k restores are refused
    bool silentAfterRestore = false;   // never answers again after a successful restore

    // Upgrade.
    int upgradeSteps = 40;             // steps announced in the streamed answer
    double stepSeconds = 0.25;         // pause between two step reports
    double rebootSeconds = 20;         // connections refused after the answer ended
    bool dropDuringUpload = false;     // closes the connection when half of the body has arrived
    bool stallDuringUpload = false;    // stops reading when half of the body has arrived and keeps the
                                       // connection open until the client leaves
    int uploadBytesPerSecond = 0;      // > 0: reads the upload's body at N bytes a second (nominal)
    bool dropAfterUpload = false;      // takes the whole package, then closes the connection without an
                                       // answer and rewrites its firmware all the same
    bool answerNeverEnds = false;      // the streamed answer stops before its closing delimiter
    AfterUpgrade afterUpgrade = AfterUpgrade::NewVersion;
};

} // namespace zka::camsim
