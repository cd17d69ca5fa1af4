#pragma once
// How the set-up screen drives the download window (run::FrmDownload3): the
// fields it fills before a show, the mode, the show itself, and what it
// reads back. The window is built out by the network exchange; the fields it
// does not carry yet are kept here for it (DownloadFields()), so it can take
// them over unchanged.
#include <QString>

class QWidget;

namespace setup {

// Modes of the window (its UserSw).
enum DownloadMode : int {
  kDownloadFinish = 1,      // finish an open link before the program ends
  kDownloadTest = 2,        // fetch the test the receiver names
  kDownloadParts = 7,       // fetch the audio parts in the background
  kDownloadScores = 9,      // online scores
};

struct DownloadFieldValues {
  QString userSetData;  // the 13 option digits (setting 989)
  QString text1;        // subject code "DovoRO__" / "RudaZO__"
  QString text4;        // the fetched test's path (written by the window)
  QString text5;        // test count
  QString text6, text7; // notice-page addresses (981, 982)
  QString text8, text9; // settings-file addresses (986, DownloadFieldText)
  QString text10, text11;  // FTP server and setting 985 (only when 985 is set)
  QString text13;       // order of the download methods (988)
  QString t5;           // server host
  QString t6;           // server port
  int check1 = 0;       // 1: the test has audio parts to fetch too
};
DownloadFieldValues& DownloadFields();

// The window's link state (0 no link used).
int DownloadLinkStatus();
// Busy: shown in the background mode and its link still transferring.
bool DownloadBusy();
// Sets the mode and shows the window, modal or not, owned by `owner`.
void ShowDownload(int mode, bool modal, QWidget* owner);
// The path of the test the last download brought ("" when none).
QString DownloadedTestPath();
// The test is handed over: the download window opens no more boxes.
void MarkTestUnderWay();
// When the download window brought `testFile` and has not fetched its audio
// parts in the background yet, starts that (modeless, owned by `owner`).
void FetchPartsOf(const QString& testFile, QWidget* owner);

// The set-up screen's hooks to the web side: the note-settings refresh at
// load (it never holds the screen; a newer note goes to the screen when it
// has come) and the operating-instructions window.
void InstallNetworkHooks();

}  // namespace setup
