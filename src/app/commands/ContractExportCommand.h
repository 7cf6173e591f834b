#pragma once
// "export Contratti (&txt/tab)" of "&Stampe": reads the trips with their days of operation with
// the busy clock and the progress bar, asks for the file, writes it whole and tells how many trip
// lines it holds. Without a master row it refuses at once; a cancelled file dialog writes nothing.

class MainFrame;

void ExportServiceContracts(MainFrame& frame);
