#pragma once
// "&Esportazione dati (VUR-TXT v2)": the region's communication. The data error check in its
// consent mode first (no file while an error remains), the options of dialog 148, then the first
// communication or, on top of the reference base read back, the incremental one; the communication,
// the new reference base and the two return flows, each through its own save dialog and written
// whole. Every step shows its caption in the status band and its progress bar.

class MainFrame;

constexpr int kCommunicationDialog = 148;

void GenerateCommunicationV2(MainFrame& frame);
