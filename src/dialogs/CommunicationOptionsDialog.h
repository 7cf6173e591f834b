#pragma once
// "Esportazione Dati in Formato VUR-TXT v2": first or incremental communication, the stops'
// georeferencing, the nature of the communication and its link with the earlier ones. The nine
// buttons stand side by side with no group of their own: each click sets its member and then
// every check mark is set again from the four members, so the three sets of radio buttons are
// held apart by the handlers alone and the screen never leaves the members.

#include "platform/Dialog.h"

namespace communication_dialog {
constexpr int kFirst = 1175;
constexpr int kIncremental = 1176;
constexpr int kGeoreferencing = 1177;
constexpr int kBudget = 1194;
constexpr int kServicePlan = 1195;
constexpr int kAnomalies = 1196;
constexpr int kHypothesis = 1197;
constexpr int kReplaces = 1198;
constexpr int kIntegrates = 1199;
}  // namespace communication_dialog

class CommunicationOptionsDialog : public ui::Dialog {
 public:
  CommunicationOptionsDialog(QWidget* parent, char nature, int idd);

  int first = 0;           // 1 first communication, 0 incremental
  int georeferencing = 1;  // 1: the stops are georeferenced
  char nature;             // 'B', 'P', 'A' or 'I'
  int replaces = 1;        // 1 replaces the earlier communications, 0 integrates them

 protected:
  bool OnInitDialog() override;

 private:
  void ShowMembers();
};
