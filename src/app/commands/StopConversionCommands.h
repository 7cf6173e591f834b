#pragma once
// The stop conversions of the planning tools' shapefiles into RT_NODI ("&Archivi" >
// "&HyperPlan/MTram" and "&MicroBus"): the input asked for, read with the progress bar, the
// output asked for and written. They end without a closing message; a damaged or unsuitable
// input, records that are not points and an output that cannot be written are told.

class MainFrame;

// "Conversione Cartografia HyperPlan (&Nodi)".
void ConvertHyperPlanStops(MainFrame* frame);
// "Conversione Cartografia MicroBus (&Nodi)".
void ConvertMicroBusStops(MainFrame* frame);
