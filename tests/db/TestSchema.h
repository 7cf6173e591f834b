#pragma once
// A small schema of the test's own, declared as the builder declares real tables.

inline const char* kTestSchema = R"sql(
CREATE TABLE cadenz (
  codice VARCHAR(10) COLLATE RTRIM NOT NULL CONSTRAINT codice__required CHECK (codice <> '')
    CONSTRAINT codice__size CHECK (length(codice) <= 10),
  denom VARCHAR(60) COLLATE RTRIM NOT NULL CONSTRAINT denom__required CHECK (denom <> '')
    CONSTRAINT denom__size CHECK (length(denom) <= 60),
  CONSTRAINT "codice" PRIMARY KEY (codice));
CREATE TABLE calend (
  data DATE NOT NULL,
  caden VARCHAR(10) COLLATE RTRIM NOT NULL CONSTRAINT caden__required CHECK (caden <> '')
    CONSTRAINT caden__size CHECK (length(caden) <= 10),
  giorno VARCHAR(1) COLLATE RTRIM,
  note VARCHAR(20) COLLATE RTRIM,
  CONSTRAINT "codice" PRIMARY KEY (data, caden),
  FOREIGN KEY (caden) REFERENCES cadenz (codice));
CREATE TABLE misc (
  id INT NOT NULL,
  sub SMALLINT NOT NULL,
  name VARCHAR(8) COLLATE RTRIM,
  amount CURRENCY,
  ratio DOUBLE,
  flag BOOLEAN,
  day DATE,
  memo LONGTEXT,
  bytes BLOB,
  CONSTRAINT "codice" PRIMARY KEY (id, sub));
CREATE INDEX misc__byname ON misc (name, sub);
)sql";
