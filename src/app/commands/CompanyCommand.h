#pragma once
// "&Azienda": the working company's heading in the master row.

class MainFrame;

void EditWorkingCompany(MainFrame* frame);
