#pragma once

// The HTTP service WebAccess talks to: its operations are those of the platform service it
// stands in for, called in this order. (Placeholder: the web component defines the operations.)

namespace tevrin {

class HttpService {
 public:
  virtual ~HttpService() = default;
};

}  // namespace tevrin
