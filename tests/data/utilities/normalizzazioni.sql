-- Six trips in three quadri and their stops, for the normalisations and the clean-ups.
-- Quadro 1: trips 1 and 2 (line L1 A), Quadro 2: trips 3 and 4 (line L1 R, route P2), quadro 3: trip 5.
-- Trip 6 has no period; trip 5 only an excluded one.
INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, ct_tempo,
                    codperc, denom, gruppo) VALUES
 (1, 'C1', 'L1', 'A', 700, 730, 0, 0, 0, 0, 0, 0, 'P1', 'Aulla - Pontremoli', 1),
 (2, 'C2', 'L1', 'A', 800, 830, 0, 0, 0, 0, 0, 0, 'P1', NULL, 1),
 (3, 'C3', 'L1', 'R', 900, 930, 0, 0, 0, 0, 0, 0, 'P2', ' ', 2),
 (4, 'C4', 'L1', 'R', 1000, 1030, 0, 0, 0, 0, 0, 0, 'P2', 'Pontremoli - Aulla', 2),
 (5, 'C5', 'L2', 'A', 1100, 1130, 0, 0, 0, 0, 0, 0, 'P3', 'fermata', 3),
 (6, 'C6', 'L2 ', 'A', 1200, 1230, 0, 0, 0, 0, 0, 0, NULL, NULL, 3);
INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, reglocal) VALUES
 (1, 1, 'F1', 'Aulla', 'Piazza', 0, 9999, 700, 0, 0, 0, 0),
 (1, 2, 'F2', 'Piazza "Duomo"', NULL, 500, 710, 711, 0, 0, 0, 0),
 (1, 3, 'F3', 'Pontremoli', 'Stazione', 900, 730, 9999, 0, 0, 0, 0),
 (2, 1, 'F1', 'Aulla', 'Piazza ', 0, 9999, 800, 0, 0, 0, 0),
 (2, 2, 'F2', 'Piazza "Duomo"', ' ', 500, 810, 811, 0, 0, 0, 0),
 (2, 3, 'F3', 'Pontremoli', 'Stazione', 900, 830, 9999, 0, 0, 0, 0),
 (3, 1, 'F3', 'Pontremoli', 'Stazione', 0, 9999, 900, 0, 0, 0, 0),
 (3, 2, NULL, 'Piazza "Duomo"', NULL, 400, 910, 911, 0, 0, 0, 0),
 (3, 3, 'F1', 'Aulla', 'Piazza', 900, 930, 9999, 0, 0, 0, 0),
 (4, 1, 'F3', 'Pontremoli', 'Stazione', 0, 9999, 1000, 0, 0, 0, 0),
 (4, 2, ' ', 'Piazza "Duomo"', NULL, 400, 1010, 1011, 0, 0, 0, 0),
 (4, 3, 'F1', 'Aulla', 'Piazza', 900, 1030, 9999, 0, 0, 0, 0),
 (5, 1, 'F4', 'Bibola', NULL, 0, 9999, 1100, 0, 0, 0, 0),
 (5, 2, 'F2', 'Piazza "Duomo"', NULL, 300, 1110, 1111, 0, 0, 0, 0),
 (5, 3, 'F5', 'Canossa', NULL, 600, 1130, 9999, 0, 0, 0, 0),
 (6, 1, 'F2', 'Piazza "Duomo"', NULL, 0, 9999, 1200, 0, 0, 0, 0),
 (6, 2, 'F5', 'Canossa', NULL, 600, 1230, 9999, 0, 0, 0, 0);
INSERT INTO cadenz VALUES ('FER', 'Feriale');
INSERT INTO period (id, caden, inizio, fine, escluso) VALUES
 (1, 'FER', '2024-01-01', '2024-06-30', 0), (2, 'FER', '2024-01-01', '2024-06-30', 0),
 (3, 'FER', '2024-01-01', '2024-06-30', 0), (4, 'FER', '2024-01-01', '2024-06-30', 0),
 (5, 'FER', '2024-03-01', '2024-03-31', 1);
