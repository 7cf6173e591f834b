#pragma once
// "&Utilità" > "Sistemazione Corse &Doppie" (5187): the copies found, the CORSE_DOPPIE report
// saved where the user says (the point at which the user can still give up), then each copy moved
// one minute later (utilities/DuplicateTrips.h). The busy clock only.

class MainFrame;

void FixDuplicateTrips(MainFrame* frame);
