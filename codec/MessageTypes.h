// Message type numbers of the protocol.
//
// A request carries its type after the length prefix; the server answers a
// history or service request with a message of the same type. Pushed messages
// (quote updates, heartbeats, compressed envelopes) have types of their own.
#ifndef KESTREL_CODEC_MESSAGETYPES_H
#define KESTREL_CODEC_MESSAGETYPES_H

enum MessageType : unsigned int {
  kMsgDayKLine = 3,                     // day K-lines
  kMsgMinuteKLine = 5,                  // minute K-lines
  kMsgHisTrend = 6,                     // history trends
  kMsgSectorCharts = 9,                 // top-8 sector charts
  kMsgFormalizedTrend = 17,             // formalized trends
  kMsgFormalizedDeal = 18,              // formalized deals
  kMsgHistoryKind6 = 20,                // history request of kind 6; no reply type of its own
  kMsgQEDataPlus = 21,                  // QE data plus
  kMsgMaskedIndicators = 24,            // masked subscription indicators
  kMsgMaskedData = 25,                  // masked subscription data
  kMsgServerSubInfo = 26,               // the server's subscription list
  kMsgCommit = 32,                      // subscription commit request
  kMsgSimpleIndicators = 33,            // simple indicators; also the peek request
  kMsgSectorQuotesOrder = 34,           // sector quotes order
  kMsgPagedRankingList = 40,            // paged ranking list
  kMsgRawData = 48,                     // raw bytes of the host's own
  kMsgCompressed = 54,                  // zlib envelope around another message
  kMsgHeartBeat = 58,                   // heartbeat
  kMsgStatusTest = 59,                  // status test
  kMsgHeartBeatAlt = 63,                // heartbeat, second form
  kMsgQuoteUpdate = 64,                 // real-time quote update
  kMsgLogin = 80,                       // login
  kMsgLevel2TransactionsHistory = 130,  // level-2 transaction history
};

#endif  // KESTREL_CODEC_MESSAGETYPES_H
