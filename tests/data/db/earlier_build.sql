-- A new database as the builds before each column of the program's tables was held to its kind
-- made it: its mark, its tables, its dictionary rows and its indexes, as the engine dumps them.
PRAGMA application_id=1364545092;
CREATE TABLE IF NOT EXISTS "tavole" (
  "nome" VARCHAR(8) COLLATE RTRIM CONSTRAINT "nome__size" CHECK (length("nome") <= 8),
  "denom" VARCHAR(30) COLLATE RTRIM CONSTRAINT "denom__size" CHECK (length("denom") <= 30),
  "note" VARCHAR(240) COLLATE RTRIM CONSTRAINT "note__size" CHECK (length("note") <= 240)
);
INSERT INTO tavole VALUES('master','RDG Principale','Contiene le impostazioni generali del sistema Quendo per la gestione degli orari del trasporto pubblico locale');
INSERT INTO tavole VALUES('regazi','Codici Regionali Azienda','Contiene la codificazione regionale delle Aziende');
INSERT INTO tavole VALUES('regent','Codici Regionali Enti','Contiene la codificazione regionale degli Enti Concedenti');
INSERT INTO tavole VALUES('cadenz','Tipo Cadenza Corse','Contiene la codificazione dei tipi cadenza corse');
INSERT INTO tavole VALUES('calend','Calendario','Contiene il calendario giornaliero per lo sviluppo del piano di esercizio');
INSERT INTO tavole VALUES('tescor','Testa Corsa','Contiene le informazioni relative alle singole corse');
INSERT INTO tavole VALUES('detcor','Dettagli Corsa','Contiene le informazioni di dettaglio relative alle singole corse');
INSERT INTO tavole VALUES('period','Periodi validità corse','Contiene le informazioni relative ai periodi di validità delle singole corse');
INSERT INTO tavole VALUES('local','Località','Contiene le informazioni relative alle località');
CREATE TABLE IF NOT EXISTS "campi" (
  "tavola" VARCHAR(8) COLLATE RTRIM CONSTRAINT "tavola__size" CHECK (length("tavola") <= 8),
  "nome" VARCHAR(8) COLLATE RTRIM CONSTRAINT "nome__size" CHECK (length("nome") <= 8),
  "tipo" VARCHAR(1) COLLATE RTRIM CONSTRAINT "tipo__size" CHECK (length("tipo") <= 1),
  "size" SMALLINT,
  "obblig" BOOLEAN,
  "denom" VARCHAR(30) COLLATE RTRIM CONSTRAINT "denom__size" CHECK (length("denom") <= 30),
  "note" VARCHAR(240) COLLATE RTRIM CONSTRAINT "note__size" CHECK (length("note") <= 240),
  "regola" VARCHAR(240) COLLATE RTRIM CONSTRAINT "regola__size" CHECK (length("regola") <= 240),
  "mess" VARCHAR(240) COLLATE RTRIM CONSTRAINT "mess__size" CHECK (length("mess") <= 240)
);
INSERT INTO campi VALUES('master','codice','I',0,1,'Codice','Codice = Zero',NULL,NULL);
INSERT INTO campi VALUES('master','azienda','I',0,1,'Codice Azienda','Codice Regionale Azienda',NULL,NULL);
INSERT INTO campi VALUES('master','p_data','D',0,0,'Data Invio','Data di invio comunicazione',NULL,NULL);
INSERT INTO campi VALUES('master','protoc','L',0,0,'Protocollo','N.ro protocollo invio comunicazione',NULL,NULL);
INSERT INTO campi VALUES('master','resple','A',40,0,'Responsabile','Nominativo del responsabile dell''invio',NULL,NULL);
INSERT INTO campi VALUES('master','datini','D',0,1,'Data Inizio','Data di inizio periodo',NULL,NULL);
INSERT INTO campi VALUES('master','datfin','D',0,1,'Data Fine','Data di fine periodo',NULL,NULL);
INSERT INTO campi VALUES('master','id_corsa','L',0,1,'ID Corsa','Prossimo ID univoco Corsa da assegnare',NULL,NULL);
INSERT INTO campi VALUES('master','gruppo','L',0,1,'ID Gruppo','Prossimo ID univoco Raggruppamento Corse da assegnare',NULL,NULL);
INSERT INTO campi VALUES('regazi','codice','I',0,1,'Codice','Contiene il codice regionale dell''Azienda',NULL,NULL);
INSERT INTO campi VALUES('regazi','denom','A',40,1,'Denominazione','Contiene la denominazione dell''Azienda',NULL,NULL);
INSERT INTO campi VALUES('regent','codice','I',0,1,'Codice','Contiene il codice regionale dell''Ente Concedente',NULL,NULL);
INSERT INTO campi VALUES('regent','denom','A',40,1,'Denominazione','Contiene la denominazione dell''Ente Concedente',NULL,NULL);
INSERT INTO campi VALUES('cadenz','codice','A',10,1,'Codice','Contiene il codice della cadenza corsa',NULL,NULL);
INSERT INTO campi VALUES('cadenz','denom','A',60,1,'Denominazione','Contiene la denominazione della cadenza corsa',NULL,NULL);
INSERT INTO campi VALUES('calend','data','D',0,1,'Data','Contiene la data del giorno di calendario',NULL,NULL);
INSERT INTO campi VALUES('calend','caden','A',10,1,'Cadenza Attiva','Cadenza corsa valida per il giorno',NULL,NULL);
INSERT INTO campi VALUES('calend','giorno','A',1,1,'Giorno della Settimana','Giorno della settimana (1=Lun/2=Mar/3=Mer/4=Gio/5=Ven/6=Sab/7=Dom',NULL,NULL);
INSERT INTO campi VALUES('calend','note','A',20,1,'Annotazioni','Annotazioni (festività particolari etc.)',NULL,NULL);
INSERT INTO campi VALUES('tescor','id','L',0,1,'Id Corsa','Contiene l''identificativo univoco della corsa',NULL,NULL);
INSERT INTO campi VALUES('tescor','codcorsa','A',20,1,'Codice Corsa','Contiene il codice aziendale della corsa',NULL,NULL);
INSERT INTO campi VALUES('tescor','codlinea','A',10,1,'Codice Linea','Contiene il codice aziendale della linea',NULL,NULL);
INSERT INTO campi VALUES('tescor','verso','A',1,1,'Verso Linea','Contiene il verso della linea (A=Andata; R=Ritorno)',NULL,NULL);
INSERT INTO campi VALUES('tescor','parte','I',0,1,'Partenza Capolinea','Indica il tempo di partenza dal capolinea iniziale',NULL,NULL);
INSERT INTO campi VALUES('tescor','arriva','I',0,1,'Arrivo Capolinea','Indica il tempo di arrivo al capolinea finale',NULL,NULL);
INSERT INTO campi VALUES('tescor','ente','I',0,1,'Codice Ente Gestore','Contiene il codice dell''Ente gestore',NULL,NULL);
INSERT INTO campi VALUES('tescor','contratt','I',0,1,'Codice Contratto','Contiene il codice del contratto',NULL,NULL);
INSERT INTO campi VALUES('tescor','lung','L',0,1,'Lunghezza (metri)','Esprime la lunghezza totale del percorso (in metri)',NULL,NULL);
INSERT INTO campi VALUES('tescor','tempo','I',0,1,'Tempo (minuti)','Esprime il tempo totale di durata della corsa (in minuti)',NULL,NULL);
INSERT INTO campi VALUES('tescor','ct_lung','L',0,1,'Lunghezza contrattuale','Esprime la lunghezza del percorso (in metri) ai fini contrattuali',NULL,NULL);
INSERT INTO campi VALUES('tescor','ct_tempo','I',0,1,'Tempo contrattuale','Esprime il tempo di durata della corsa (in minuti) ai fini contrattuali',NULL,NULL);
INSERT INTO campi VALUES('tescor','regcorsa','A',10,0,'Codice Reg.le Corsa','Contiene il codice regionale della corsa',NULL,NULL);
INSERT INTO campi VALUES('tescor','codperc','A',20,0,'Codice Percorso','Contiene il codice regionale della corsa',NULL,NULL);
INSERT INTO campi VALUES('tescor','reglinea','L',0,0,'Codice Reg.le Percorso','Contiene il codice regionale del percorso',NULL,NULL);
INSERT INTO campi VALUES('tescor','denom','A',120,0,'Descrittore','Contiene la descrizione sommaria del percorso',NULL,NULL);
INSERT INTO campi VALUES('tescor','gruppo','L',0,1,'Codice Quadro','Contiene il codice interno per il raggruppamento dei quadri',NULL,NULL);
INSERT INTO campi VALUES('tescor','mezzo','A',1,0,'Mezzo Utilizzato','Contiene il codice del mezzo di trasporto utilizzato',NULL,NULL);
INSERT INTO campi VALUES('tescor','prevcor','L',0,0,'ID Corsa Precedente','Contiene l''ID della corsa precedente (prosecuzione)',NULL,NULL);
INSERT INTO campi VALUES('tescor','nextcor','L',0,0,'Codice Corsa Successiva','Contiene l''ID della corsa successiva (prosecuzione)',NULL,NULL);
INSERT INTO campi VALUES('detcor','id','L',0,1,'Id Corsa','Contiene l''identificativo univoco della corsa',NULL,NULL);
INSERT INTO campi VALUES('detcor','sub','I',0,1,'Dettaglio','Contiene il progressivo ordinamentale del dettaglio',NULL,NULL);
INSERT INTO campi VALUES('detcor','fermata','A',10,0,'Codice Fermata','Contiene il codice aziendale della fermata',NULL,NULL);
INSERT INTO campi VALUES('detcor','denom','A',40,1,'Denominazione Fermata','Contiene la denominazione aziendale della fermata',NULL,NULL);
INSERT INTO campi VALUES('detcor','ubicaz','A',40,0,'Ubicazione Fermata','Contiene l''ubicazione aziendale della fermata',NULL,NULL);
INSERT INTO campi VALUES('detcor','dist','L',0,1,'Progressiva (metri)','Indica la distanza progressiva dal capolinea di partenza (in metri)',NULL,NULL);
INSERT INTO campi VALUES('detcor','arriva','I',0,1,'Tempo di arrivo','Indica il tempo di arrivo alla fermata',NULL,NULL);
INSERT INTO campi VALUES('detcor','parte','I',0,1,'Tempo di partenza','Indica il tempo di partenza dalla fermata',NULL,NULL);
INSERT INTO campi VALUES('detcor','primaria','B',0,1,'Fermata principale','Indica se è una fermata principale',NULL,NULL);
INSERT INTO campi VALUES('detcor','facolt','B',0,1,'Fermata facoltativa','Indica se è una fermata facoltativa',NULL,NULL);
INSERT INTO campi VALUES('detcor','nonferma','B',0,1,'Non ferma','Indica se è un passaggio misurato senza fermata',NULL,NULL);
INSERT INTO campi VALUES('detcor','regferma','L',0,0,'Codice Reg.le Fermata','Contiene il codice regionale della fermata',NULL,NULL);
INSERT INTO campi VALUES('detcor','regarea','A',6,0,'Codice Reg.le Area','Contiene il codice regionale dell''area di fermata',NULL,NULL);
INSERT INTO campi VALUES('detcor','reglocal','I',0,1,'Codice Reg.le Località','Contiene il codice regionale della località',NULL,NULL);
INSERT INTO campi VALUES('period','id','L',0,1,'Identificativo Corsa','Contiene l''identificativo univoco della corsa',NULL,NULL);
INSERT INTO campi VALUES('period','caden','A',10,1,'Cadenza','Contiene il codice cadenza associato alla corsa',NULL,NULL);
INSERT INTO campi VALUES('period','inizio','D',0,1,'Data inizio','Contiene la data di inizio del periodo',NULL,NULL);
INSERT INTO campi VALUES('period','fine','D',0,1,'Data fine','Contiene la data di fine del periodo',NULL,NULL);
INSERT INTO campi VALUES('period','escluso','B',0,1,'Periodo Escluso','VERO indica un periodo di validità esclusa; FALSO indica un periodo di validità attiva',NULL,NULL);
INSERT INTO campi VALUES('local','id','I',0,1,'Identificativo Località','Contiene l''identificativo univoco della località',NULL,NULL);
INSERT INTO campi VALUES('local','denom','A',40,1,'Denominazione','Contiene la denominazione della località',NULL,NULL);
INSERT INTO campi VALUES('local','istat','L',0,1,'Codice Istat','Contiene il codice istat del Comune',NULL,NULL);
INSERT INTO campi VALUES('local','comune','A',40,1,'Comune','Contiene la denominazione del comune cui appartiene la località',NULL,NULL);
INSERT INTO campi VALUES('local','prov','A',4,1,'Provincia','Contiene la sigla della provincia',NULL,NULL);
CREATE TABLE IF NOT EXISTS "indici" (
  "tavola" VARCHAR(8) COLLATE RTRIM CONSTRAINT "tavola__size" CHECK (length("tavola") <= 8),
  "nome" VARCHAR(8) COLLATE RTRIM CONSTRAINT "nome__size" CHECK (length("nome") <= 8),
  "primkey" BOOLEAN,
  "denom" VARCHAR(30) COLLATE RTRIM CONSTRAINT "denom__size" CHECK (length("denom") <= 30),
  "note" VARCHAR(240) COLLATE RTRIM CONSTRAINT "note__size" CHECK (length("note") <= 240)
);
INSERT INTO indici VALUES('master','codice',1,'Codice','Indice di comodo');
INSERT INTO indici VALUES('regazi','codice',1,'Codici Regionali Azienda','Elenca le aziende in ordine di codice regionale');
INSERT INTO indici VALUES('regent','codice',1,'Codici Regionali Enti','Elenca gli Enti in ordine di codice regionale');
INSERT INTO indici VALUES('cadenz','codice',1,'Tipo Cadenza','Elenca le cadenze corse in ordine di codice');
INSERT INTO indici VALUES('calend','codice',1,'Data','Ordina il calendario per data');
INSERT INTO indici VALUES('tescor','codice',1,'Identificativo Corsa','Ordina le corse per identificativo univoco');
INSERT INTO indici VALUES('detcor','codice',1,'Dettaglio Corsa','Ordina i dettagli corse per identificativo univoco');
INSERT INTO indici VALUES('detcor','fermata',0,'Fermate','Ordina le fermate');
INSERT INTO indici VALUES('period','codice',1,'Identificativo Periodo','Ordina i dettagli periodi validità corsa per identificativo univoco');
INSERT INTO indici VALUES('local','codice',1,'Località','Ordina le località');
CREATE TABLE IF NOT EXISTS "indici2" (
  "tavola" VARCHAR(8) COLLATE RTRIM CONSTRAINT "tavola__size" CHECK (length("tavola") <= 8),
  "nome" VARCHAR(8) COLLATE RTRIM CONSTRAINT "nome__size" CHECK (length("nome") <= 8),
  "progr" SMALLINT,
  "campo" VARCHAR(8) COLLATE RTRIM CONSTRAINT "campo__size" CHECK (length("campo") <= 8)
);
INSERT INTO indici2 VALUES('master','codice',0,'codice');
INSERT INTO indici2 VALUES('regazi','codice',0,'codice');
INSERT INTO indici2 VALUES('regent','codice',0,'codice');
INSERT INTO indici2 VALUES('cadenz','codice',0,'codice');
INSERT INTO indici2 VALUES('calend','codice',0,'data');
INSERT INTO indici2 VALUES('calend','codice',1,'caden');
INSERT INTO indici2 VALUES('tescor','codice',0,'id');
INSERT INTO indici2 VALUES('detcor','codice',0,'id');
INSERT INTO indici2 VALUES('detcor','codice',1,'sub');
INSERT INTO indici2 VALUES('detcor','fermata',0,'fermata');
INSERT INTO indici2 VALUES('detcor','fermata',1,'denom');
INSERT INTO indici2 VALUES('detcor','fermata',2,'ubicaz');
INSERT INTO indici2 VALUES('period','codice',0,'id');
INSERT INTO indici2 VALUES('period','codice',1,'inizio');
INSERT INTO indici2 VALUES('period','codice',2,'fine');
INSERT INTO indici2 VALUES('local','codice',0,'id');
CREATE TABLE IF NOT EXISTS "relaz" (
  "nome" VARCHAR(16) COLLATE RTRIM CONSTRAINT "nome__size" CHECK (length("nome") <= 16),
  "interna" VARCHAR(8) COLLATE RTRIM CONSTRAINT "interna__size" CHECK (length("interna") <= 8),
  "esterna" VARCHAR(8) COLLATE RTRIM CONSTRAINT "esterna__size" CHECK (length("esterna") <= 8)
);
INSERT INTO relaz VALUES('calen_caden','cadenz','calend');
INSERT INTO relaz VALUES('detcor_tescor','tescor','detcor');
INSERT INTO relaz VALUES('period_tescor','tescor','period');
INSERT INTO relaz VALUES('period_caden','cadenz','period');
INSERT INTO relaz VALUES('ferma_local','local','detcor');
CREATE TABLE IF NOT EXISTS "relaz2" (
  "nome" VARCHAR(16) COLLATE RTRIM CONSTRAINT "nome__size" CHECK (length("nome") <= 16),
  "progr" SMALLINT,
  "interno" VARCHAR(8) COLLATE RTRIM CONSTRAINT "interno__size" CHECK (length("interno") <= 8),
  "esterno" VARCHAR(8) COLLATE RTRIM CONSTRAINT "esterno__size" CHECK (length("esterno") <= 8)
);
INSERT INTO relaz2 VALUES('calen_caden',0,'codice','caden');
INSERT INTO relaz2 VALUES('detcor_tescor',0,'id','id');
INSERT INTO relaz2 VALUES('period_tescor',0,'id','id');
INSERT INTO relaz2 VALUES('period_caden',0,'codice','caden');
INSERT INTO relaz2 VALUES('ferma_local',0,'id','reglocal');
CREATE TABLE IF NOT EXISTS "utenti" (
  "nome" VARCHAR(8) COLLATE RTRIM CONSTRAINT "nome__size" CHECK (length("nome") <= 8),
  "denom" VARCHAR(30) COLLATE RTRIM CONSTRAINT "denom__size" CHECK (length("denom") <= 30),
  "passwd" VARCHAR(9) COLLATE RTRIM CONSTRAINT "passwd__size" CHECK (length("passwd") <= 9),
  "potere" SMALLINT,
  "progetto" SMALLINT
);
CREATE TABLE IF NOT EXISTS "cadenz" (
  "codice" VARCHAR(10) COLLATE RTRIM NOT NULL CONSTRAINT "codice__required" CHECK (length("codice") > 0) CONSTRAINT "codice__size" CHECK (length("codice") <= 10),
  "denom" VARCHAR(60) COLLATE RTRIM NOT NULL CONSTRAINT "denom__required" CHECK (length("denom") > 0) CONSTRAINT "denom__size" CHECK (length("denom") <= 60),
  CONSTRAINT "codice" PRIMARY KEY ("codice")
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS "calend" (
  "data" DATE NOT NULL,
  "caden" VARCHAR(10) COLLATE RTRIM NOT NULL CONSTRAINT "caden__required" CHECK (length("caden") > 0) CONSTRAINT "caden__size" CHECK (length("caden") <= 10),
  "giorno" VARCHAR(1) COLLATE RTRIM NOT NULL CONSTRAINT "giorno__required" CHECK (length("giorno") > 0) CONSTRAINT "giorno__size" CHECK (length("giorno") <= 1),
  "note" VARCHAR(20) COLLATE RTRIM NOT NULL CONSTRAINT "note__required" CHECK (length("note") > 0) CONSTRAINT "note__size" CHECK (length("note") <= 20),
  CONSTRAINT "codice" PRIMARY KEY ("data", "caden"),
  CONSTRAINT "calen_caden" FOREIGN KEY ("caden") REFERENCES "cadenz" ("codice")
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS "detcor" (
  "id" INT NOT NULL,
  "sub" SMALLINT NOT NULL,
  "fermata" VARCHAR(10) COLLATE RTRIM CONSTRAINT "fermata__size" CHECK (length("fermata") <= 10),
  "denom" VARCHAR(40) COLLATE RTRIM NOT NULL CONSTRAINT "denom__required" CHECK (length("denom") > 0) CONSTRAINT "denom__size" CHECK (length("denom") <= 40),
  "ubicaz" VARCHAR(40) COLLATE RTRIM CONSTRAINT "ubicaz__size" CHECK (length("ubicaz") <= 40),
  "dist" INT NOT NULL,
  "arriva" SMALLINT NOT NULL,
  "parte" SMALLINT NOT NULL,
  "primaria" BOOLEAN NOT NULL,
  "facolt" BOOLEAN NOT NULL,
  "nonferma" BOOLEAN NOT NULL,
  "regferma" INT,
  "regarea" VARCHAR(6) COLLATE RTRIM CONSTRAINT "regarea__size" CHECK (length("regarea") <= 6),
  "reglocal" SMALLINT NOT NULL,
  CONSTRAINT "codice" PRIMARY KEY ("id", "sub"),
  CONSTRAINT "detcor_tescor" FOREIGN KEY ("id") REFERENCES "tescor" ("id"),
  CONSTRAINT "ferma_local" FOREIGN KEY ("reglocal") REFERENCES "local" ("id")
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS "local" (
  "id" SMALLINT NOT NULL,
  "denom" VARCHAR(40) COLLATE RTRIM NOT NULL CONSTRAINT "denom__required" CHECK (length("denom") > 0) CONSTRAINT "denom__size" CHECK (length("denom") <= 40),
  "istat" INT NOT NULL,
  "comune" VARCHAR(40) COLLATE RTRIM NOT NULL CONSTRAINT "comune__required" CHECK (length("comune") > 0) CONSTRAINT "comune__size" CHECK (length("comune") <= 40),
  "prov" VARCHAR(4) COLLATE RTRIM NOT NULL CONSTRAINT "prov__required" CHECK (length("prov") > 0) CONSTRAINT "prov__size" CHECK (length("prov") <= 4),
  CONSTRAINT "codice" PRIMARY KEY ("id")
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS "master" (
  "codice" SMALLINT NOT NULL,
  "azienda" SMALLINT NOT NULL,
  "p_data" DATE,
  "protoc" INT,
  "resple" VARCHAR(40) COLLATE RTRIM CONSTRAINT "resple__size" CHECK (length("resple") <= 40),
  "datini" DATE NOT NULL,
  "datfin" DATE NOT NULL,
  "id_corsa" INT NOT NULL,
  "gruppo" INT NOT NULL,
  CONSTRAINT "codice" PRIMARY KEY ("codice")
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS "period" (
  "id" INT NOT NULL,
  "caden" VARCHAR(10) COLLATE RTRIM NOT NULL CONSTRAINT "caden__required" CHECK (length("caden") > 0) CONSTRAINT "caden__size" CHECK (length("caden") <= 10),
  "inizio" DATE NOT NULL,
  "fine" DATE NOT NULL,
  "escluso" BOOLEAN NOT NULL,
  CONSTRAINT "codice" PRIMARY KEY ("id", "inizio", "fine"),
  CONSTRAINT "period_tescor" FOREIGN KEY ("id") REFERENCES "tescor" ("id"),
  CONSTRAINT "period_caden" FOREIGN KEY ("caden") REFERENCES "cadenz" ("codice")
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS "regazi" (
  "codice" SMALLINT NOT NULL,
  "denom" VARCHAR(40) COLLATE RTRIM NOT NULL CONSTRAINT "denom__required" CHECK (length("denom") > 0) CONSTRAINT "denom__size" CHECK (length("denom") <= 40),
  CONSTRAINT "codice" PRIMARY KEY ("codice")
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS "regent" (
  "codice" SMALLINT NOT NULL,
  "denom" VARCHAR(40) COLLATE RTRIM NOT NULL CONSTRAINT "denom__required" CHECK (length("denom") > 0) CONSTRAINT "denom__size" CHECK (length("denom") <= 40),
  CONSTRAINT "codice" PRIMARY KEY ("codice")
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS "tescor" (
  "id" INT NOT NULL,
  "codcorsa" VARCHAR(20) COLLATE RTRIM NOT NULL CONSTRAINT "codcorsa__required" CHECK (length("codcorsa") > 0) CONSTRAINT "codcorsa__size" CHECK (length("codcorsa") <= 20),
  "codlinea" VARCHAR(10) COLLATE RTRIM NOT NULL CONSTRAINT "codlinea__required" CHECK (length("codlinea") > 0) CONSTRAINT "codlinea__size" CHECK (length("codlinea") <= 10),
  "verso" VARCHAR(1) COLLATE RTRIM NOT NULL CONSTRAINT "verso__required" CHECK (length("verso") > 0) CONSTRAINT "verso__size" CHECK (length("verso") <= 1),
  "parte" SMALLINT NOT NULL,
  "arriva" SMALLINT NOT NULL,
  "ente" SMALLINT NOT NULL,
  "contratt" SMALLINT NOT NULL,
  "lung" INT NOT NULL,
  "tempo" SMALLINT NOT NULL,
  "ct_lung" INT NOT NULL,
  "ct_tempo" SMALLINT NOT NULL,
  "regcorsa" VARCHAR(10) COLLATE RTRIM CONSTRAINT "regcorsa__size" CHECK (length("regcorsa") <= 10),
  "codperc" VARCHAR(20) COLLATE RTRIM CONSTRAINT "codperc__size" CHECK (length("codperc") <= 20),
  "reglinea" INT,
  "denom" VARCHAR(120) COLLATE RTRIM CONSTRAINT "denom__size" CHECK (length("denom") <= 120),
  "gruppo" INT NOT NULL,
  "mezzo" VARCHAR(1) COLLATE RTRIM CONSTRAINT "mezzo__size" CHECK (length("mezzo") <= 1),
  "prevcor" INT,
  "nextcor" INT,
  CONSTRAINT "codice" PRIMARY KEY ("id")
) WITHOUT ROWID;
CREATE INDEX "tavole__nome" ON "tavole" ("nome");
CREATE INDEX "campi__nome" ON "campi" ("tavola", "nome");
CREATE INDEX "indici__nome" ON "indici" ("tavola", "nome");
CREATE INDEX "indici2__elemento" ON "indici2" ("tavola", "nome", "progr");
CREATE INDEX "relaz__nome" ON "relaz" ("nome");
CREATE INDEX "relaz2__elemento" ON "relaz2" ("nome", "progr");
CREATE INDEX "utenti__nome" ON "utenti" ("nome");
CREATE INDEX "detcor__fermata" ON "detcor" ("fermata", "denom", "ubicaz");
