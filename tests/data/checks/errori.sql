-- A timetable that carries every fault the data error check knows, on a database whose master row
-- holds company 17 and the working period 01/01/2024 - 30/06/2024.
UPDATE regazi SET denom = 'A.T.&P. 2 srl' WHERE codice = 17;
INSERT INTO cadenz VALUES ('FER', 'Feriale');

-- Heads: 101 without authority and length; 102 with authority 303 (accepted) and without duration
-- and contractual values; 103 with authority 304 and without codes, description and mode; 104-106
-- share one code (104 with a blank mode, which is a mode); 107 has neither stops nor periods; 108
-- has two periods that begin the day before the working period.
INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, ct_tempo,
                    codperc, denom, gruppo, mezzo) VALUES
 (101, 'C101', 'L1', 'A', 800, 830, 0, 1, 0, 30, 5000, 30, 'P1', 'Corsa 101', 0, 'X'),
 (102, 'C102', 'L1', 'A', 800, 830, 303, 1, 5000, 0, 0, 0, 'P1', 'Corsa 102', 0, 'X'),
 (103, ' ', ' ', 'A', 800, 830, 304, 1, 5000, 30, 5000, 30, NULL, NULL, 0, NULL),
 (104, 'DUP', 'L1', 'A', 800, 830, 1, 1, 5000, 30, 5000, 30, 'P1', 'Corsa 104', 0, ' '),
 (105, 'DUP', 'L1', 'A', 800, 830, 1, 1, 5000, 30, 5000, 30, 'P1', 'Corsa 105', 0, 'X'),
 (106, 'DUP   ', 'L1', 'A', 800, 830, 1, 1, 5000, 30, 5000, 30, 'P1', 'Corsa 106', 0, 'X'),
 (107, 'C107', 'L1', 'A', 800, 830, 1, 1, 5000, 30, 5000, 30, 'P1', 'Corsa 107', 0, 'X'),
 (108, 'C108', 'L1', 'A', 800, 830, 1, 1, 5000, 30, 5000, 30, 'P1', 'Corsa 108', 0, 'X'),
 (109, 'C109', 'L1', 'A', 800, 830, 1, 1, 5000, 30, 5000, 30, 'P1', 'Corsa 109', 0, 'X'),
 (110, 'C110', 'L1', 'A', 2250, 6, 1, 1, 5000, 30, 5000, 30, 'P1', 'Corsa 110', 0, 'X'),
 (111, 'C111', 'L1', 'A', 2150, 6, 1, 1, 5000, 30, 5000, 30, 'P1', 'Corsa 111', 0, 'X'),
 (112, 'C112', 'L1', 'A', 800, 830, 1, 1, 5000, 30, 5000, 30, 'P1', 'Corsa 112', 0, 'X'),
 (113, 'dup', 'L1', 'A', 800, 830, 1, 1, 5000, 30, 5000, 30, 'P1', 'Corsa 113', 0, 'X');

-- Stops of the sound trips: from 0 m with no arrival time to the last stop with no departure.
INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, reglocal)
SELECT t.id, s.sub, 'F' || s.sub, 'Fermata ' || s.sub, 'Piazza ' || s.sub, (s.sub - 1) * 1000,
       CASE s.sub WHEN 1 THEN 9999 ELSE 800 + s.sub * 10 END, CASE s.sub WHEN 3 THEN 9999 ELSE 801 + s.sub * 10 END,
       0, 0, 0, 5
FROM (SELECT 101 AS id UNION ALL SELECT 102 UNION ALL SELECT 103 UNION ALL SELECT 104 UNION ALL SELECT 105
      UNION ALL SELECT 106 UNION ALL SELECT 108) t,
     (SELECT 1 AS sub UNION ALL SELECT 2 UNION ALL SELECT 3) s;

INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, reglocal) VALUES
 -- 109: the first stop 150 m on and timed 8.00; the second at 0 m; the fourth before the third.
 (109, 1, 'F1', 'Fermata 1', 'Piazza 1', 150, 800, 800, 0, 0, 0, 5),
 (109, 2, 'F2', 'Fermata 2', 'Piazza 2', 0, 810, 811, 0, 0, 0, 5),
 (109, 3, 'F3', 'Fermata 3', 'Piazza 3', 1000, 820, 821, 0, 0, 0, 5),
 (109, 4, 'F4', 'Fermata 4', 'Piazza 4', 900, 830, 9999, 0, 0, 0, 5),
 -- 110: past midnight within the tolerances: 22.50 then 0.10, and 23.10 / 0.05 at one stop.
 (110, 1, 'F1', 'Fermata 1', 'Piazza 1', 0, 9999, 2250, 0, 0, 0, 5),
 (110, 2, 'F2', 'Fermata 2', 'Piazza 2', 1000, 10, 11, 0, 0, 0, 5),
 (110, 3, 'F3', 'Fermata 3', 'Piazza 3', 2000, 2310, 5, 0, 0, 0, 5),
 (110, 4, 'F4', 'Fermata 4', 'Piazza 4', 3000, 6, 9999, 0, 0, 0, 5),
 -- 111: the same beyond them: 21.50 then 0.10, and 22.50 / 0.05 at one stop.
 (111, 1, 'F1', 'Fermata 1', 'Piazza 1', 0, 9999, 2150, 0, 0, 0, 5),
 (111, 2, 'F2', 'Fermata 2', 'Piazza 2', 1000, 10, 11, 0, 0, 0, 5),
 (111, 3, 'F3', 'Fermata 3', 'Piazza 3', 2000, 2250, 5, 0, 0, 0, 5),
 (111, 4, 'F4', 'Fermata 4', 'Piazza 4', 3000, 6, 9999, 0, 0, 0, 5),
 -- 112: the last stop leaves at 12.00 and has no name.
 (112, 1, 'F1', 'Fermata 1', 'Piazza 1', 0, 9999, 1150, 0, 0, 0, 5),
 (112, 2, 'F2', 'Fermata 2', 'Piazza 2', 1000, 1155, 1156, 0, 0, 0, 5),
 (112, 3, 'F3', ' ', 'Piazza 3', 2000, 1159, 1200, 0, 0, 0, 5),
 -- 113: a stop without code and place, and without locality.
 (113, 1, 'F1', 'Fermata 1', 'Piazza 1', 0, 9999, 900, 0, 0, 0, 5),
 (113, 2, ' ', 'Fermata 2', ' ', 1000, 910, 9999, 0, 0, 0, 0);

-- Periods: every trip but 107 runs in the working period; 108 also in two periods that begin on
-- 31/12/2023.
INSERT INTO period (id, caden, inizio, fine, escluso)
SELECT id, 'FER', '2024-01-01', '2024-06-30', 0 FROM tescor WHERE id <> 107;
INSERT INTO period (id, caden, inizio, fine, escluso) VALUES
 (108, 'FER', '2023-12-31', '2024-02-01', 0), (108, 'FER', '2023-12-31', '2024-03-01', 1);
