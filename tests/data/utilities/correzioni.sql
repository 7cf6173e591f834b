-- Trips for the fixes, the transport modes and the two checks.
INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, ct_tempo, codperc, gruppo, prevcor, nextcor, mezzo) VALUES
 (1, 'C1', 'L1', 'A', 0, 0, 5, 0, 0, 0, 0, 0, 'P1', 1, NULL, NULL, NULL),
 (2, 'C2', 'L1', 'A', 0, 0, 5, 0, 815, 0, 0, 0, 'P2', 1, NULL, NULL, NULL),
 (3, 'C3', 'L2', 'A', 0, 0, 1, 0, 0, 0, 0, 0, NULL, 2, NULL, NULL, NULL),
 (5, 'C5', 'L3', 'A', 0, 0, 1, 0, 0, 0, 0, 0, 'P9', 5, NULL, 7, NULL),
 (6, 'C6', 'L3', 'A', 0, 0, 1, 0, 0, 0, 0, 0, 'P9', 5, NULL, NULL, NULL),
 (7, 'C7', 'L3', 'A', 0, 0, 1, 0, 0, 0, 0, 0, 'P3', 2, 6, NULL, NULL);
INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, reglocal) VALUES
 (1, 1, 'F1', 'Aulla', 'Piazza', 0, 2340, 2350, 1, 0, 0, 1),
 (1, 2, 'F2', 'Bibola', 'Via', 900, 2358, 9999, 0, 0, 0, 1),
 (1, 3, 'F3', 'Caprigliola', 'Chiesa', 0, 10, 9999, 0, 0, 0, 1),
 (2, 1, 'F1', 'Aulla', 'Piazza', 0, 9999, 700, 1, 0, 0, 1),
 (2, 2, 'F2', 'Bibola', 'Via', 900, -1, 705, 0, 0, 0, 1),
 (2, 3, 'F3', 'Caprigliola', 'Chiesa', 1700, 9999, 710, 0, 0, 0, 1),
 (2, 4, 'F4', 'Pallerone', 'Bivio', 2500, 720, 9999, 0, 0, 0, 1),
 (3, 1, 'F1', 'Aulla', 'Piazza', 0, 655, 700, 1, 0, 0, 1);
