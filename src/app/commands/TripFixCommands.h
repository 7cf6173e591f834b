#pragma once
// "&Utilità": the fixes of trip times, lengths, chains and contract values
// (utilities/TripFixes.h), and the transport-mode dialogs 149, 150 and 152.

class MainFrame;

// "&Sistemazione Corse" (5139) and "Sistemazione &Lunghezze" (5159): a question, then the
// progress bar.
void FixTripTimes(MainFrame* frame);
void FixRouteLengths(MainFrame* frame);
// "Aggiusta &Concatenazione Corse" (5175): no question, the busy clock.
void FixTripChaining(MainFrame* frame);
// "Aggiusta &Orari \"zoppi\"" (5182) and "Aggiusta &Km e Tempi Contrattuali" (5183): a question,
// then the busy clock.
void FixHalfTransitTimes(MainFrame* frame);
void AlignContractLengthsAndTimes(MainFrame* frame);
// The transport mode of every trip (5171), of one line (5172), of one authority (5176).
void RunTransportModeByCompany(MainFrame* frame);
void RunTransportModeByLine(MainFrame* frame);
void RunTransportModeByAuthority(MainFrame* frame);
