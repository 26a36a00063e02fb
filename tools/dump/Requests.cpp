// Requests as value trees, field by field as the request reader gives them.
#include "dump/Requests.h"

namespace kdump {

namespace rq = kestrel::requests;

namespace {

Node Items(const std::vector<rq::ReadItem>& items) {
  Node list = Node::List();
  for (const rq::ReadItem& item : items) {
    Node ids = Node::List();
    for (const int64_t id : item.ids) ids.Add(Node::Int(id));
    list.Add(Node::Fields().Add("code", Node::Text(item.code)).Add("ids", std::move(ids)));
  }
  return list;
}

Node ValueNode(const rq::ReadValue& value) {
  switch (rq::InfoOf(value.field).wire) {
    case rq::Wire::kUnsigned:
    case rq::Wire::kSigned:
      return Node::Int(value.number);
    case rq::Wire::kOptional:
      return value.present ? Node::Int(value.number) : Node::Null();
    case rq::Wire::kText:
    case rq::Wire::kCode:
    case rq::Wire::kRest:
      return Node::Text(value.text);
    case rq::Wire::kNumberList: {
      Node list = Node::List();
      for (const int64_t number : value.numbers) list.Add(Node::Int(number));
      return list;
    }
    case rq::Wire::kCodeList: {
      Node list = Node::List();
      for (const std::string& code : value.codes) list.Add(Node::Text(code));
      return list;
    }
    case rq::Wire::kItems:
    case rq::Wire::kWatchList:
    case rq::Wire::kMaskedList:
      return value.emptyMarker ? Node::Text("empty") : Items(value.items);
  }
  return Node::Null();
}

}  // namespace

const char* RequestName(unsigned type) {
  const rq::Form* form = rq::FindForm(type);
  return form != nullptr ? form->name : "unknown request";
}

Node RequestNode(const rq::ReadRequest& request) {
  Node fields = Node::Fields();
  for (const rq::ReadValue& value : request.fields) fields.Add(value.Name(), ValueNode(value));
  return fields;
}

}  // namespace kdump
