#pragma once
// The MicroBus commands of "&Archivi" > "&MicroBus" that work on the timetable: the route map
// drawn from the trips (RT_ITIN with its generation report), the normalisation of a MicroBus-IVU
// communication and the rebuilding of its day types. Each is a thin layer over its engine in
// conversions/microbus/.

class MainFrame;

// "Conversione Cartografia MicroBus (&Percorsi)".
void ConvertMicroBusRoutes(MainFrame* frame);
// "&Normalizzazione Comunicazione MicroBus".
void NormalizeMicroBusCommunication(MainFrame* frame);
// "&Ricostruzione Cadenze MicroBus".
void RebuildCadencesMicroBus(MainFrame* frame);
