#pragma once
// "&Conversione dati IVU-InfoPool / VurTxt" ("&Archivi" > "&IVU - InfoPool"): an IVU-InfoPool
// file set converted into the region's six files. The set is read and checked with the status
// band and the progress bar; a set with faults writes nothing and offers ERRORI_IVU; otherwise
// the company code (dialog 153) and the output folder are asked for and the six files written,
// all or none. There is no closing message.

class MainFrame;

void ConvertIvuToRt(MainFrame* frame);
