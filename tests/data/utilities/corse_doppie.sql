-- Trips for the duplicate-trip fix, on a timetable database with its master row.
-- Calendar 01/01/2024 (a Monday) to 14/01/2024: FER Monday to Saturday, FES on Sundays.
INSERT INTO cadenz (codice, denom) VALUES ('FER', 'Feriale'), ('FES', 'Festivo');
WITH RECURSIVE d(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM d WHERE k < 13)
  INSERT INTO calend (data, caden, giorno, note)
  SELECT date('2024-01-01', '+' || k || ' days'), CASE WHEN k % 7 = 6 THEN 'FES' ELSE 'FER' END, k % 7 + 1, 'Gennaio'
  FROM d;

-- Heads: id, trip code, line, direction, departure, arrival, quadro.
INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, ct_tempo,
                    codperc, denom, gruppo) VALUES
  -- 10 and 11: equal, both on weekdays; the head arrival 9999 is no time.
  (10, 'C100', 'L1', 'A', 700, 9999, 1, 2, 5000, 60, 5000, 60, 'P1', 'Aulla - Città', 1),
  (11, 'C100', 'L1', 'A', 700, 9999, 1, 2, 5000, 60, 5000, 60, 'P1', 'Aulla - Città', 1),
  -- 20 and 21 (a trailing blank in its code): equal, departing at 23.59.
  (21, 'C200 ', 'L2', 'R', 2359, 30, 1, 2, 3000, 31, 3000, 31, NULL, NULL, 2),
  (20, 'C200', 'L2', 'R', 2359, 30, 1, 2, 3000, 31, 3000, 31, NULL, NULL, 2),
  -- 30 on weekdays, 31 on Sundays: no day in common.
  (30, 'C300', 'L3', 'A', 800, 900, 1, 2, 1000, 60, 1000, 60, 'P3', NULL, 3),
  (31, 'C300', 'L3', 'A', 800, 900, 1, 2, 1000, 60, 1000, 60, 'P3', NULL, 3),
  -- 40 only on Monday 8th, which is excluded for 41.
  (40, 'C400', 'L4', 'A', 900, 930, 1, 2, 1000, 30, 1000, 30, 'P4', NULL, 4),
  (41, 'C400', 'L4', 'A', 900, 930, 1, 2, 1000, 30, 1000, 30, 'P4', NULL, 4),
  -- 50 and 51 differ in the letter case of their code.
  (50, 'c500', 'L5', 'A', 1000, 1030, 1, 2, 1000, 30, 1000, 30, 'P5', NULL, 5),
  (51, 'C500', 'L5', 'A', 1000, 1030, 1, 2, 1000, 30, 1000, 30, 'P5', NULL, 5),
  -- 62, 60, 61: three equal trips on the same days.
  (62, 'C600', 'L6', 'A', 600, 630, 1, 2, 2000, 30, 2000, 30, 'P6', NULL, 6),
  (60, 'C600', 'L6', 'A', 600, 630, 1, 2, 2000, 30, 2000, 30, 'P6', NULL, 6),
  (61, 'C600', 'L6', 'A', 600, 630, 1, 2, 2000, 30, 2000, 30, 'P6', NULL, 6);

-- Stops: id, sub, code, name, arrival, departure (-1: no time yet).
INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, reglocal) VALUES
  (10, 1, 'F1', 'Aulla', NULL, 0, 9999, 700, 1, 0, 0, 0),
  (10, 2, 'F2', 'Bibola', NULL, 2000, 730, 731, 0, 0, 0, 0),
  (10, 3, 'F3', 'Caprigliola', NULL, 3000, -1, -1, 0, 0, 0, 0),
  (10, 4, 'F4', 'Città', NULL, 5000, 800, 9999, 0, 0, 0, 0),
  (11, 1, 'F1', 'Aulla', NULL, 0, 9999, 700, 1, 0, 0, 0),
  (11, 2, 'F2', 'Bibola', NULL, 2000, 730, 731, 0, 0, 0, 0),
  (11, 3, 'F3', 'Caprigliola', NULL, 3000, -1, -1, 0, 0, 0, 0),
  (11, 4, 'F4', 'Città', NULL, 5000, 800, 9999, 0, 0, 0, 0),
  (20, 1, 'G1', 'Deposito', NULL, 0, 9999, 2359, 1, 0, 0, 0),
  (20, 2, 'G2', 'Stazione', NULL, 3000, 30, 9999, 0, 0, 0, 0),
  (21, 1, 'G1', 'Deposito', NULL, 0, 9999, 2359, 1, 0, 0, 0),
  (21, 2, 'G2', 'Stazione', NULL, 3000, 30, 9999, 0, 0, 0, 0),
  (30, 1, 'H1', 'Fivizzano', NULL, 0, 9999, 800, 1, 0, 0, 0),
  (31, 1, 'H1', 'Fivizzano', NULL, 0, 9999, 800, 1, 0, 0, 0),
  (60, 1, 'K1', 'Licciana', NULL, 0, 9999, 600, 1, 0, 0, 0),
  (60, 2, 'K2', 'Monti', NULL, 2000, 630, 9999, 0, 0, 0, 0),
  (61, 1, 'K1', 'Licciana', NULL, 0, 9999, 600, 1, 0, 0, 0),
  (61, 2, 'K2', 'Monti', NULL, 2000, 630, 9999, 0, 0, 0, 0),
  (62, 1, 'K1', 'Licciana', NULL, 0, 9999, 600, 1, 0, 0, 0),
  (62, 2, 'K2', 'Monti', NULL, 2000, 630, 9999, 0, 0, 0, 0);

-- Periods: id, day type, start, end, excluded.
INSERT INTO period (id, caden, inizio, fine, escluso) VALUES
  (10, 'FER', '2024-01-01', '2024-01-14', 0),
  (11, 'FER', '2024-01-08', '2024-01-31', 0),
  (20, 'FER', '2024-01-01', '2024-01-14', 0),
  (21, 'FER', '2024-01-01', '2024-01-14', 0),
  (30, 'FER', '2024-01-01', '2024-01-14', 0),
  (31, 'FES', '2024-01-01', '2024-01-14', 0),
  (40, 'FER', '2024-01-08', '2024-01-08', 0),
  (41, 'FER', '2024-01-01', '2024-01-14', 0),
  (41, 'FER', '2024-01-08', '2024-01-08', 1),
  (50, 'FER', '2024-01-01', '2024-01-14', 0),
  (51, 'FER', '2024-01-01', '2024-01-14', 0),
  (60, 'FER', '2024-01-01', '2024-01-14', 0),
  (61, 'FER', '2024-01-01', '2024-01-14', 0),
  (62, 'FER', '2024-01-01', '2024-01-14', 0);
